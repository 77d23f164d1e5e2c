#include "console/path.h"

#include <gtest/gtest.h>

namespace {

std::string Native(std::string path) {
  for (char& c : path)
    if (c == '/') c = console::kPathSeparator;
  return path;
}

TEST(BaseName, LastComponent) {
  EXPECT_EQ(console::BaseName(Native("a/b/c")), "c");
  EXPECT_EQ(console::BaseName("c"), "c");
  EXPECT_EQ(console::BaseName(Native("a/")), "");
  EXPECT_EQ(console::BaseName(""), "");
#ifdef _WIN32
  EXPECT_EQ(console::BaseName("C:x.inf_1"), "x.inf_1");
  // The second byte of a double-byte character is no separator.
  console::CharStep double_byte = [](const char* text) -> const char* {
    return *text == '\x81' ? text + 2 : console::SingleByteStep(text);
  };
  EXPECT_EQ(console::BaseName("C:\\d\x81\\x.inf", double_byte), "d\x81\\x.inf");
  EXPECT_EQ(console::BaseName("C:\\d\x81\\x.inf"), "x.inf");
#endif
}

}  // namespace
