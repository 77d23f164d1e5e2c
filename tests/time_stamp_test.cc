#include "infsurvey/time_stamp.h"

#include "tests/fake_console.h"

using namespace infsurvey;

namespace {

class TimeStampTest : public FakeConsoleTest {};

console::LocalTime At(int year, int month, int day, int hour, int minute,
                      int second) {
  console::LocalTime time;
  time.year = year, time.month = month, time.day = day;
  time.hour = hour, time.minute = minute, time.second = second;
  return time;
}

TEST_F(TimeStampTest, EnglishFallbacks) {
  LocaleTexts texts = LoadLocaleTexts();
  struct Case {
    console::LocalTime time;
    std::string stamp;
  };
  const Case cases[] = {
      {At(2011, 3, 5, 9, 7, 3), "09:07:03 Sat 05 March 2011"},
      {At(2011, 3, 6, 0, 0, 1), "00:00:01 Sun 06 March 2011"},
      {At(2024, 2, 29, 13, 15, 0), "13:15:00 Thu 29 February 2024"},
      {At(2000, 1, 1, 23, 59, 59), "23:59:59 Sat 01 January 2000"},
      {At(1900, 12, 31, 12, 0, 0), "12:00:00 Mon 31 December 1900"},
      {At(999, 7, 4, 1, 2, 3), "01:02:03 Thu 04 July 0999"},
  };
  for (const Case& c : cases) EXPECT_EQ(CatalogTimeStamp(texts, c.time), c.stamp);
}

TEST_F(TimeStampTest, LocaleTexts) {
  os_.time_separator = std::string(".");
  for (int day = 0; day < 7; ++day)
    os_.day_abbreviations[day] = std::string("D").append(std::to_string(day));
  os_.month_names[0] = "janvier";
  os_.month_names[2] = "\xD0\xBC\xD0\xB0\xD1\x80\xD1\x82\xD0\xB0";  // UTF-8, as given
  // An empty name (April's here) takes the fallback of its entry.
  LocaleTexts texts = LoadLocaleTexts();
  EXPECT_EQ(CatalogTimeStamp(texts, At(2011, 3, 5, 9, 7, 3)),
            "09.07.03 D6 05 \xD0\xBC\xD0\xB0\xD1\x80\xD1\x82\xD0\xB0 2011");
  EXPECT_EQ(CatalogTimeStamp(texts, At(2011, 1, 2, 9, 7, 3)), "09.07.03 D0 02 janvier 2011");
  EXPECT_EQ(CatalogTimeStamp(texts, At(2011, 4, 4, 9, 7, 3)), "09.07.03 D1 04 April 2011");
}

// No separator of one character gives ":"; an empty one shows as nothing.
TEST_F(TimeStampTest, TimeSeparator) {
  struct Case {
    std::optional<std::string> separator;
    std::string stamp;
  };
  for (const Case& c : {Case{std::nullopt, "09:07:03"}, Case{"h", "09h07h03"},
                        Case{"", "090703"}}) {
    os_.time_separator = c.separator;
    EXPECT_EQ(CatalogTimeStamp(LoadLocaleTexts(), At(2011, 3, 5, 9, 7, 3))
                  .substr(0, c.stamp.size()),
              c.stamp);
  }
}

}  // namespace
