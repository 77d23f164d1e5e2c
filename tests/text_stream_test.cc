#include "console/text_stream.h"

#include <string>
#include <vector>

#include "tests/fake_console.h"

using console::FakePlatform;
using console::FakeFileSystem;
using console::FileType;
using console::IoStatus;
using console::StdIn;
using console::StdOut;

namespace {

using Call = FakePlatform::Call;
using Sizes = std::vector<std::size_t>;

class WriteTest : public FakeConsoleTest {};

TEST_F(WriteTest, FileOutputLeavesInFullBlocks) {
  os_.fs.stdout_type = FileType::kDisk;
  std::string line(50, 'x');
  for (int i = 0; i < 6; ++i) {
    console::WriteText(StdOut(), line);
    console::WriteLineEnd(StdOut());
  }
  EXPECT_EQ(StdOutWrites(), (Sizes{128, 128}));
  console::CloseStream(StdOut());
  EXPECT_EQ(StdOutWrites(), (Sizes{128, 128, 6 * 52 - 256}));
  EXPECT_EQ(IoStatus(), 0u);
}

TEST_F(WriteTest, ExactlyTheFreeRoomGoesOutAtOnce) {
  console::WriteText(StdOut(), std::string(100, 'a'));
  EXPECT_TRUE(StdOutWrites().empty());
  console::WriteText(StdOut(), std::string(28, 'b'));
  EXPECT_EQ(StdOutWrites(), (Sizes{128}));
  console::WriteText(StdOut(), std::string(300, 'c'));
  EXPECT_EQ(StdOutWrites(), (Sizes{128, 128, 128}));
  console::CloseStream(StdOut());
  EXPECT_EQ(StdOutWrites(), (Sizes{128, 128, 128, 44}));
}

TEST_F(WriteTest, StatementEndFlushesOnlyAConsole) {
  struct Case {
    FileType type;
    Sizes writes;
  };
  for (const Case& c : {Case{FileType::kChar, {5, 7}},
                        Case{FileType::kPipe, {}},
                        Case{FileType::kDisk, {}}}) {
    console::ScopedFakeConsole fresh;
    fresh.os.fs.stdout_type = c.type;
    console::WriteText(StdOut(), "MFG: ");
    console::EndStatement(StdOut());
    console::WriteText(StdOut(), "CID: ");
    console::WriteLineEnd(StdOut());
    EXPECT_EQ(fresh.os.fs.WriteSizes(FakeFileSystem::kStdOutHandle), c.writes)
        << static_cast<int>(c.type);
  }
}

TEST_F(WriteTest, UnknownFileTypeFailsTheFirstWriteWith105) {
  os_.FailCall(Call::kGetFileType, 1);
  console::WriteText(StdOut(), "MFG: ");
  EXPECT_EQ(IoStatus(), 105u);
  console::CloseStream(StdOut());  // nothing was taken to write out
  EXPECT_TRUE(os_.fs.writes.empty());
}

TEST_F(WriteTest, FailedWriteOutDropsTheRestAndKeepsTheNewestCode) {
  os_.FailCall(Call::kWriteFile, 1, 112);
  os_.FailCall(Call::kWriteFile, 2, 232);
  console::WriteText(StdOut(), std::string(300, 'x'));
  EXPECT_EQ(IoStatus(), 112u);
  // The 172 bytes after the failed block are gone: the next block is all y.
  console::WriteText(StdOut(), std::string(128, 'y'));
  console::WriteLineEnd(StdOut());
  EXPECT_EQ(IoStatus(), 232u);
  EXPECT_THROW(console::IoCheck(), console::IoFailure);
  EXPECT_EQ(IoStatus(), 0u);
  console::WriteText(StdOut(), std::string(128, 'z'));
  console::CloseStream(StdOut());
  EXPECT_EQ(StdOutBytes(), "\r\n" + std::string(126, 'z') + "zz");
}

TEST_F(WriteTest, StdHandleFailureKeepsTheStreamClosed) {
  os_.FailCall(Call::kGetStdHandle, 1, 6);
  console::WriteText(StdOut(), "x");
  EXPECT_EQ(IoStatus(), 105u);
  console::SetIoStatus(0);
  console::WriteText(StdOut(), "y");  // the next write opens it afresh
  EXPECT_EQ(IoStatus(), 0u);
}

class ReadTest : public FakeConsoleTest {
 protected:
  std::vector<std::string> ReadLines(int count) {
    std::vector<std::string> lines;
    std::string line = "left over";
    for (int i = 0; i < count; ++i) {
      console::ReadLineText(StdIn(), &line);
      lines.push_back(line);
      console::SkipLine(StdIn());
    }
    return lines;
  }
};

TEST_F(ReadTest, LineEnds) {
  struct Case {
    std::string input;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"abc\r\ndef\r\n", {"abc", "def", ""}},
      {"abc\ndef\n", {"abc", "def", ""}},
      {"a\rb\n", {"ab", "", ""}},
      {"last line without end", {"last line without end", "", ""}},
      {"\n\nx", {"", "", "x"}},
      {std::string("n\0ul\n", 5), {std::string("n\0ul", 4), "", ""}},
  };
  for (const Case& c : cases) {
    for (std::uint32_t refill : {128u, 1u, 3u}) {
      console::ScopedFakeConsole fresh;
      fresh.os.fs.stdin_bytes = c.input;
      fresh.os.fs.read_sizes = {refill};
      EXPECT_EQ(ReadLines(3), c.lines) << c.input << " refill " << refill;
      EXPECT_EQ(IoStatus(), 0u);
    }
  }
}

// Ordinary bytes go over sixteen at a time: each byte value, at each place
// of two such groups, must still be read as the rule says, both where the
// line starts a buffer and where it runs past the buffer's end.
TEST_F(ReadTest, EveryByteAtEveryPlace) {
  const std::string text = "abcdefghijklmnopqrstuvwxyz0123456789";
  for (std::size_t lead : {0u, 117u}) {
    const std::string first(lead == 0 ? 0 : lead - 1, '-');
    for (int byte = 0; byte < 256; ++byte) {
      for (std::size_t at = 0; at < 34; ++at) {
        console::ScopedFakeConsole fresh;
        std::string line = text;
        line.insert(at, 1, static_cast<char>(byte));
        fresh.os.fs.stdin_bytes = (lead == 0 ? "" : first + "\n") + line + "\n!";
        std::vector<std::string> expected = {line, "!"};
        if (byte == '\r') expected[0] = text;
        if (byte == '\n') expected = {text.substr(0, at), text.substr(at)};
        if (byte == 26) expected = {text.substr(0, at), "!"};
        // A 26 that a fresh read brings first is an end of input that
        // stays for the rest of the line (see CtrlZAtTheStartOfARead).
        if (byte == 26 && (lead + at) % 128 == 0)
          expected = {text.substr(0, at), ""};
        if (lead != 0) expected.insert(expected.begin(), first);
        EXPECT_EQ(ReadLines(static_cast<int>(expected.size())), expected)
            << byte << " at " << at << " after " << lead;
      }
    }
  }
}

TEST_F(ReadTest, CtrlZEndsTheLineAndSkipLineDropsTheRest) {
  os_.fs.stdin_bytes = "ab\x1a" "cd\nef\n";
  EXPECT_EQ(ReadLines(3), (std::vector<std::string>{"ab", "ef", ""}));
}

// A console hands over one typed line per read: Ctrl-Z typed at the start
// of a line ends the answer in progress and the next one, as at the end of
// input, and reading goes on after it.
TEST_F(ReadTest, CtrlZAtTheStartOfARead) {
  os_.fs.stdin_bytes = "\x1a\r\nnext\r\n";
  os_.fs.read_sizes = {3, 128};
  EXPECT_EQ(ReadLines(3), (std::vector<std::string>{"", "", "next"}));
}

TEST_F(ReadTest, LongLinesAreReadWhole) {
  for (std::size_t length : {254u, 255u, 256u, 300u, 1000u}) {
    console::ScopedFakeConsole fresh;
    std::string line;
    for (std::size_t i = 0; i < length; ++i) line += static_cast<char>('a' + i % 26);
    fresh.os.fs.stdin_bytes = line + "\r\nnext\r\n";
    EXPECT_EQ(ReadLines(2), (std::vector<std::string>{line, "next"}));
  }
}

TEST_F(ReadTest, EndOfInputIsPermanent) {
  os_.fs.stdin_bytes = "one";
  EXPECT_EQ(ReadLines(4), (std::vector<std::string>{"one", "", "", ""}));
  EXPECT_TRUE(console::ReadNarrowedCharacters(StdIn()).empty());
  // One read gave the text, one more found the end; none after that.
  EXPECT_EQ(os_.CallCount(Call::kReadFile), 2);
}

// Each failure ends the input: a broken pipe quietly, as the end it is;
// any other with its code; standard input that cannot be had with 104.
TEST_F(ReadTest, FailuresEndTheInput) {
  struct Case {
    Call call;
    std::uint32_t code, status;
  };
  for (const Case& c : {Case{Call::kReadFile, 109, 0}, Case{Call::kReadFile, 6, 6},
                        Case{Call::kGetStdHandle, 6, 104}}) {
    console::ScopedFakeConsole fresh;
    fresh.os.fs.stdin_bytes = "ignored";
    fresh.os.FailCall(c.call, 1, c.code);
    EXPECT_EQ(ReadLines(1), (std::vector<std::string>{""})) << c.code;
    EXPECT_EQ(IoStatus(), c.status) << c.code;
  }
}

class FileTest : public FakeConsoleTest {};

TEST_F(FileTest, OpenReadClose) {
  os_.fs.AddFile("a.inf", "xy");
  console::TextStream file;
  console::OpenForReading(file, "a.inf");
  EXPECT_EQ(IoStatus(), 0u);
  EXPECT_EQ(os_.fs.open_handles, 1);
  EXPECT_EQ(console::ReadNarrowedCharacters(file), "xy");
  EXPECT_TRUE(console::ReadNarrowedCharacters(file).empty());
  console::CloseStream(file);
  EXPECT_EQ(os_.fs.open_handles, 0);
}

TEST_F(FileTest, FailedOpenStoresTheSystemCode) {
  console::TextStream file;
  console::OpenForReading(file, "missing.inf");
  EXPECT_EQ(IoStatus(), 2u);
  console::SetIoStatus(0);
  // A stream that did not open reads nothing and asks the system for none.
  EXPECT_TRUE(console::ReadNarrowedCharacters(file).empty());
  EXPECT_EQ(os_.CallCount(Call::kReadFile), 0);
}

TEST_F(FileTest, UnwindingClosesAnOpenFile) {
  os_.fs.AddFile("a.inf", "x");
  {
    console::TextStream file;
    console::OpenForReading(file, "a.inf");
  }
  EXPECT_EQ(os_.fs.open_handles, 0);
}

}  // namespace
