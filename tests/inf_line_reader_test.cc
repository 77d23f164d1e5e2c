#include "infsurvey/inf_line_reader.h"

#include "console/program.h"
#include "tests/fake_console.h"

using infsurvey::InfLineList;
using infsurvey::ReadInfLines;

namespace {

class InfLineReaderTest : public FakeConsoleTest {
 protected:
  InfLineList Read(const std::string& bytes) {
    os_.files["x.inf"] = bytes;
    return ReadInfLines("x.inf");
  }
};

std::string Utf16Le(const std::string& ascii) {
  std::string bytes = "\xFF\xFE";
  for (char c : ascii) bytes += std::string{c, '\0'};
  return bytes;
}

TEST_F(InfLineReaderTest, LineEndsEncodingsAndFiltering) {
  const InfLineList version = {"[Version]", "Class=Printer"};
  struct Case {
    std::string name, bytes;
    InfLineList lines;
  };
  const Case cases[] = {
      {"CR LF", "[Version]\r\nClass=Printer\r\n", version},
      {"CR only", "[Version]\rClass=Printer\r", version},
      {"LF only", "[Version]\nClass=Printer\n", version},
      {"no final line end", "[Version]\r\nClass=Printer", version},
      {"26 ends the file", "[Version]\r\nClass=Printer\x1a[Strings]\r\n", version},
      {"UTF-16LE", Utf16Le("[Version]\r\nClass=Printer\r\n"), version},
      {"tabs and high bytes vanish", "  [Ver\xe9sion]  \r\nClass\t=\tPrin\x80ter\r\n",
       version},
      {"blank and comment lines", "\r\n   \r\n; c\r\n   ;c\r\n[Version]\r\n\x01\r\n"
       "Class=Printer ;kept\r\n", {"[Version]", "Class=Printer ;kept"}},
      {"127 is printable", "a\x7f\r\n", {"a\x7f"}},
      {"empty", "", {}},
      {"only a 26", "\x1a", {}},
  };
  // Once with every byte a character of its own, once decoded one by one.
  for (const char* never_decodes : {"", "\x9d"}) {
    os_.invalid_bytes = never_decodes;
    for (const Case& c : cases) EXPECT_EQ(Read(c.bytes), c.lines) << c.name;
  }
  EXPECT_EQ(os_.open_handles, 0);
}

TEST_F(InfLineReaderTest, StopsAtTheSixtiethLineWithoutReadingFurther) {
  std::string bytes;
  InfLineList expected;
  for (int i = 0; i < 200; ++i) {
    std::string line = "Key" + std::to_string(1000 + i) + "=value";
    bytes += "; comment lines do not count\r\n\r\n" + line + "\r\n";
    if (i < 60) expected.emplace_back(line);
  }
  std::size_t used = bytes.find(expected.back()) + expected.back().size() + 1;
  for (const char* never_decodes : {"", "\x9d"}) {
    os_.invalid_bytes = never_decodes;
    os_.reads_of_file.clear();
    EXPECT_EQ(Read(bytes), expected);
    EXPECT_EQ(os_.reads_of_file["x.inf"], static_cast<int>((used + 127) / 128));
  }
  EXPECT_EQ(os_.open_handles, 0);
}

TEST_F(InfLineReaderTest, SixtyLinesExactlyThenMoreComments) {
  std::string bytes;
  for (int i = 0; i < 60; ++i) bytes.append("L").append(std::to_string(i)).append("\n");
  bytes += "; after\n\n";
  EXPECT_EQ(Read(bytes).size(), 60u);
}

TEST_F(InfLineReaderTest, UnopenableFileEndsTheRunWithTheReport) {
  struct Case {
    std::uint32_t code;
    std::string message;
  };
  for (const Case& c : {Case{2, "File not found."}, Case{5, "File access denied."},
                        Case{32, "I/O error 32."}}) {
    console::FakePlatform os;
    console::SetPlatform(&os);
    console::ResetStandardStreams();
    os.FailCall(console::FakePlatform::Call::kOpenForReading, 1, c.code);
    int code = console::RunMainBlock([] { ReadInfLines("gone.inf"); });
    EXPECT_EQ(code, 1);
    EXPECT_EQ(os.Written(console::FakePlatform::kStdErrHandle),
              "Exception EInOutError in module fake.exe at 00001A2B.\r\n" +
                  c.message + "\r\n\r\n");
  }
  console::SetPlatform(&os_);
}

TEST_F(InfLineReaderTest, ReadFailureAndUndecodableCharacterEndTheRun) {
  os_.files["x.inf"] = "[Version]\r\n\xff";
  os_.invalid_bytes = "\xff";
  EXPECT_EQ(console::RunMainBlock([] { ReadInfLines("x.inf"); }), 1);
  EXPECT_NE(StdErrBytes().find("Invalid numeric input.\r\n"), std::string::npos);
  EXPECT_EQ(os_.open_handles, 0);
}

}  // namespace
