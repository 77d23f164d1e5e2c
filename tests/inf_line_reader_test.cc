#include "infsurvey/inf_line_reader.h"

#include "console/program.h"
#include "tests/fake_console.h"
#include "tests/inf_lines.h"

using infsurvey::InfLineList;
using infsurvey::ReadInfLines;

namespace {

using Lines = std::vector<std::string>;

Lines Texts(const InfLineList& list) {
  Lines texts;
  for (std::size_t i = 0; i < list.size(); ++i) texts.emplace_back(list[i]);
  return texts;
}

class InfLineReaderTest : public FakeConsoleTest {
 protected:
  std::vector<std::string> Read(const std::string& bytes) {
    os_.fs.AddFile("x.inf", bytes);
    ReadInfLines("x.inf", &lines_);
    return Texts(lines_);
  }
  InfLineList lines_ = InfLines({"left over"});
};

std::string Utf16Le(const std::string& ascii) {
  std::string bytes = "\xFF\xFE";
  for (char c : ascii) bytes += std::string{c, '\0'};
  return bytes;
}

TEST_F(InfLineReaderTest, LineEndsEncodingsAndFiltering) {
  const Lines version = {"[Version]", "Class=Printer"};
  struct Case {
    std::string name, bytes;
    Lines lines;
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
  EXPECT_EQ(os_.fs.open_handles, 0);
}

// Printable text goes over eight bytes at a time: every byte value, at
// every place in such a group, must still meet the rule.
TEST_F(InfLineReaderTest, EveryByteAtEveryPlace) {
  const std::string text = "[Version]Class=Printer";
  for (int byte = 0; byte < 256; ++byte) {
    if (byte == '\r' || byte == '\n' || byte == 26) continue;
    bool kept = byte >= 32 && byte <= 127;
    for (std::size_t at = 1; at < 18; ++at) {
      std::string line = text;
      line.insert(at, 2, static_cast<char>(byte));
      std::string expected = kept ? line : text;
      EXPECT_EQ(Read(line + "\r\n"), Lines{expected}) << byte << " at " << at;
    }
  }
}

TEST_F(InfLineReaderTest, StopsAtTheSixtiethLineWithoutReadingFurther) {
  std::string bytes;
  Lines expected;
  for (int i = 0; i < 200; ++i) {
    std::string line = "Key" + std::to_string(1000 + i) + "=value";
    bytes += "; comment lines do not count\r\n\r\n" + line + "\r\n";
    if (i < 60) expected.emplace_back(line);
  }
  std::size_t used = bytes.find(expected.back()) + expected.back().size() + 1;
  for (const char* never_decodes : {"", "\x9d"}) {
    os_.invalid_bytes = never_decodes;
    os_.fs.reads_of_file.clear();
    EXPECT_EQ(Read(bytes), expected);
    EXPECT_EQ(os_.fs.reads_of_file["x.inf"], static_cast<int>((used + 127) / 128));
  }
  EXPECT_EQ(os_.fs.open_handles, 0);
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
  for (const Case& c : {Case{2, "File not found."}, Case{3, "Invalid filename."},
                        Case{4, "Too many open files."}, Case{5, "File access denied."},
                        Case{32, "I/O error 32."}}) {
    console::ScopedFakeConsole fresh;
    fresh.os.FailCall(console::FakePlatform::Call::kOpenForReading, 1, c.code);
    int code = console::RunMainBlock([] { InfLineList lines; ReadInfLines("gone.inf", &lines); });
    EXPECT_EQ(code, 1);
    EXPECT_EQ(fresh.os.fs.Written(console::FakeFileSystem::kStdErrHandle),
              "Exception EInOutError in module fake.exe at 00001A2B.\r\n" +
                  c.message + "\r\n\r\n");
  }
}

TEST_F(InfLineReaderTest, FailedReadEndsTheRun) {
  os_.fs.AddFile("x.inf", "[Version]\r\n");
  os_.FailCall(console::FakePlatform::Call::kReadFile, 1, 23);
  EXPECT_EQ(console::RunMainBlock([] { InfLineList lines; ReadInfLines("x.inf", &lines); }), 1);
  EXPECT_NE(StdErrBytes().find("I/O error 23.\r\n"), std::string::npos);
  EXPECT_EQ(os_.fs.open_handles, 0);
}

// Bytes a code page cannot decode never end the run: they vanish as one
// character each, and the bytes after the first are read again.
TEST_F(InfLineReaderTest, UndecodableBytesVanishOneAtATime) {
  struct Case {
    std::string name, bytes;
    Lines lines;
  };
  const Case cases[] = {
      {"never decodes", "[Ver\x9dsion]\r\n\x9d", {"[Version]"}},
      {"decodes on the second byte", "[Ver\x90Ision]\r\n", {"[Version]"}},
      {"decodes on the seventh byte", "[Ver\x91" "ABCDEFsion]\r\n", {"[Version]"}},
      {"longer than seven: the first byte alone", "[Ver\x92" "ABCDEFG]\r\n",
       {"[VerABCDEFG]"}},
      {"a beginning at the end of the file", "[Version]\r\nA\x90", {"[Version]", "A"}},
      {"a beginning before a 26", "[Version]\r\nA\x91" "AB\x1a" "CDEF\r\n",
       {"[Version]", "AAB"}},
      // FE joins the "[" after it in this code page, but not at the start
      // of a file, where FF FE is UTF-16's byte-order mark.
      {"byte-order mark", "\xff\xfe[Version]\r\n\xfe[x\r\n", {"[Version]", "x"}},
  };
  os_.invalid_bytes = "\x9d\xff";
  os_.characters = {{"\x90I", 0x3042},
                    {"\x91" "ABCDEF", 0x3043},
                    {"\x92" "ABCDEFGH", 0x3044},
                    {"\xfe[", 0x3045}};
  for (const Case& c : cases) {
    EXPECT_EQ(Read(c.bytes), c.lines) << c.name;
    EXPECT_EQ(console::IoStatus(), 0u) << c.name;
  }
  // A character whose bytes straddle two reads of the file.
  std::string long_line(126, 'x');
  EXPECT_EQ(Read(long_line + "\x91" "ABCDEFyz\r\n"), (Lines{long_line + "yz"}));
  EXPECT_EQ(os_.fs.open_handles, 0);
}

}  // namespace
