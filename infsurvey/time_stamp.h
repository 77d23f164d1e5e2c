// The time of a run as the catalogue shows it: "hh:nn:ss ddd dd mmmm yyyy"
// with the locale's time separator, day abbreviation and month name, such
// as "09:07:03 Sat 05 March 2011".
#pragma once

#include <array>
#include <string>

#include "console/platform.h"

namespace infsurvey {

// The locale's texts of a time stamp, in UTF-8.
struct LocaleTexts {
  std::array<std::string, 7> day_abbreviations;  // Sunday first
  std::array<std::string, 12> month_names;       // January first
  std::string time_separator;                    // one character, or none
};

// The texts of the thread's locale; English for each name the locale does
// not give, and ":" when it gives no separator of one character.
LocaleTexts LoadLocaleTexts();

// Day of the week in the Gregorian calendar, 1 for Sunday to 7 for Saturday.
int DayOfWeek(int year, int month, int day);

std::string CatalogTimeStamp(const LocaleTexts& texts,
                             const console::LocalTime& time);

}  // namespace infsurvey
