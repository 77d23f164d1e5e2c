// The time of a run as the catalogue shows it: "hh:nn:ss ddd dd mmmm yyyy"
// with the locale's time separator, day abbreviation and month name, such
// as "09:07:03 Sat 05 March 2011".
#pragma once

#include <array>
#include <string>

#include "console/platform.h"

namespace infsurvey {

// Read once at start-up from the thread's locale; English where the
// locale gives nothing. Entry 0 is Sunday and January.
inline std::array<std::string, 7> DayAbbreviations;
inline std::array<std::string, 12> MonthNames;
inline char TimeSeparatorChar = ':';

void LoadLocaleTexts();

// Day of the week in the Gregorian calendar, 1 for Sunday to 7 for Saturday.
int DayOfWeek(int year, int month, int day);

std::string CatalogTimeStamp(const console::LocalTime& time);
// The time stamp of this moment.
std::string CatalogTimeStamp();

}  // namespace infsurvey
