#include "console/command_line.h"

#include "tests/fake_console.h"

namespace {

struct Case {
  std::string command_line;
  std::vector<std::string> arguments;  // 1, 2, 3
};

class CommandLineArgument : public FakeConsoleTest {};

TEST_F(CommandLineArgument, SplittingRules) {
  const Case cases[] = {
      {"prog a b", {"a", "b", ""}},
      {"  prog \t a\t\tb  ", {"a", "b", ""}},
      {"prog \"C:\\Driver Store\\x\" y", {"C:\\Driver Store\\x", "y", ""}},
      {"prog \"C:\\A B\\\" comment", {"C:\\A B\\", "comment", ""}},
      {"prog a\"b c\"d", {"ab cd", "", ""}},
      {"prog \"\" x", {"x", "", ""}},
      {"prog \"\"\"\" x \"\"", {"x", "", ""}},
      {"prog \"open to the end  ", {"open to the end  ", "", ""}},
      {"prog \"", {"", "", ""}},
      {"prog", {"", "", ""}},
      {"", {"", "", ""}},
      {"\"C:\\Program Files\\prog.exe\" -x /y", {"-x", "/y", ""}},
      {"prog \x01" "a\x7f \xe9t\xe9", {"a\x7f", "\xe9t\xe9", ""}},
      {"prog \"tab\tinside\" \"\"x\"\"", {"tab\tinside", "x", ""}},
  };
  for (const Case& c : cases) {
    for (int i = 1; i <= 3; ++i)
      EXPECT_EQ(console::CommandLineArgument(c.command_line.c_str(), i),
                c.arguments[static_cast<std::size_t>(i - 1)])
          << c.command_line << " #" << i;
  }
}

TEST_F(CommandLineArgument, SecondByteOfADoubleByteCharacterIsNeverASeparator) {
  os_.lead_bytes = std::string("\x81");
  // 0x81 0x20 is one character, 0x81 0x22 too.
  EXPECT_EQ(console::CommandLineArgument("p a\x81 b c", 1), "a\x81 b");
  EXPECT_EQ(console::CommandLineArgument("p \"q\x81\" r\" s", 1), "q\x81\" r");
}

}  // namespace
