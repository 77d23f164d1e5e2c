#include "console/utf8.h"

#include <gtest/gtest.h>

namespace {

TEST(Utf8FromBytes, ValidSequencesStayOthersAreLatin1) {
  struct Case {
    std::string in, out;
  };
  const Case cases[] = {
      {"plain", "plain"},
      {"caf\xc3\xa9", "caf\xc3\xa9"},
      {"caf\xe9", "caf\xc3\xa9"},
      {"\xe2\x82\xac", "\xe2\x82\xac"},
      {"\xf0\x9f\x96\xa8", "\xf0\x9f\x96\xa8"},
      {"\xc0\xaf", "\xc3\x80\xc2\xaf"},            // overlong
      {"\xed\xa0\x80", "\xc3\xad\xc2\xa0\xc2\x80"},  // surrogate
      {"\xf4\x90\x80\x80", "\xc3\xb4\xc2\x90\xc2\x80\xc2\x80"},  // > U+10FFFF
      {"\xe2\x82", "\xc3\xa2\xc2\x82"},            // cut short
      {"\xff", "\xc3\xbf"},
  };
  for (const Case& c : cases) EXPECT_EQ(console::Utf8FromBytes(c.in), c.out) << c.in;
}

}  // namespace
