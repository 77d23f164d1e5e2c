#include "console/path.h"

#include "tests/fake_console.h"

namespace {

class BaseName : public FakeConsoleTest {};

TEST_F(BaseName, LastComponent) {
  EXPECT_EQ(console::BaseName(Native("a/b/c")), "c");
  EXPECT_EQ(console::BaseName("c"), "c");
  EXPECT_EQ(console::BaseName(Native("a/")), "");
  EXPECT_EQ(console::BaseName(""), "");
#ifdef _WIN32
  EXPECT_EQ(console::BaseName("C:x.inf_1"), "x.inf_1");
  EXPECT_EQ(console::BaseName("C:\\d\x81\\x.inf"), "x.inf");
  // The second byte of a double-byte character is no separator.
  os_.lead_bytes = std::string("\x81");
  EXPECT_EQ(console::BaseName("C:\\d\x81\\x.inf"), "d\x81\\x.inf");
#endif
}

}  // namespace
