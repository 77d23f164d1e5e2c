#include "infsurvey/time_stamp.h"

namespace infsurvey {
namespace {

constexpr const char* kDayFallbacks[7] = {"Sun", "Mon", "Tue", "Wed",
                                          "Thu", "Fri", "Sat"};
constexpr const char* kMonthFallbacks[12] = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};

std::string OrFallback(std::string text, const char* fallback) {
  return text.empty() ? fallback : text;
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
        OrFallback(console::Os().locale.DayAbbreviation(i), kDayFallbacks[i]);
  }
  for (int i = 0; i < 12; ++i) {
    texts.month_names[i] =
        OrFallback(console::Os().locale.MonthName(i + 1), kMonthFallbacks[i]);
  }
  // An empty separator stays: it shows as nothing.
  texts.time_separator = console::Os().locale.TimeSeparator().value_or(":");
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
