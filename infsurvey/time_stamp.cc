#include "infsurvey/time_stamp.h"

namespace infsurvey {
namespace {

constexpr const char* kDayFallbacks[7] = {"Sun", "Mon", "Tue", "Wed",
                                          "Thu", "Fri", "Sat"};
constexpr const char* kMonthFallbacks[12] = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};

// Locale items: 49 is Monday's abbreviation up to 55 for Sunday, 56 is
// January's name, 30 the time separator.
constexpr int kFirstDayItem = 49;
constexpr int kFirstMonthItem = 56;
constexpr int kTimeSeparatorItem = 30;

std::string LocaleText(int item, const char* fallback) {
  std::string text;
  if (console::Os().GetLocaleInfo(item, 256, &text) <= 0 || text.empty())
    return fallback;
  return text;
}

std::string Digits(int value, std::size_t width) {
  std::string text = std::to_string(value);
  if (text.size() < width) text.insert(0, width - text.size(), '0');
  return text;
}

}  // namespace

LocaleTexts LoadLocaleTexts() {
  LocaleTexts texts;
  for (int i = 0; i < 7; ++i) {
    texts.day_abbreviations[i] =
        LocaleText(kFirstDayItem + (i + 6) % 7, kDayFallbacks[i]);
  }
  for (int i = 0; i < 12; ++i)
    texts.month_names[i] = LocaleText(kFirstMonthItem + i, kMonthFallbacks[i]);
  // A buffer of two characters: a longer separator does not fit, and an
  // empty one leaves only the terminating NUL, which shows as nothing.
  if (console::Os().GetLocaleInfo(kTimeSeparatorItem, 2,
                                  &texts.time_separator) <= 0) {
    texts.time_separator.assign(1, ':');
  }
  return texts;
}

int DayOfWeek(int year, int month, int day) {
  static const int kMonthOffsets[12] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (month < 3) year -= 1;
  int sunday_based = (year + year / 4 - year / 100 + year / 400 +
                      kMonthOffsets[month - 1] + day) % 7;
  return sunday_based + 1;
}

std::string CatalogTimeStamp(const LocaleTexts& texts,
                             const console::LocalTime& time) {
  const std::string& separator = texts.time_separator;
  const std::string& day_name =
      texts.day_abbreviations[DayOfWeek(time.year, time.month, time.day) - 1];
  const std::string& month_name = texts.month_names[time.month - 1];
  return Digits(time.hour, 2) + separator + Digits(time.minute, 2) +
         separator + Digits(time.second, 2) + " " + day_name + " " +
         Digits(time.day, 2) + " " + month_name + " " + Digits(time.year, 4);
}

}  // namespace infsurvey
