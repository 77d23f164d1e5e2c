#include "console/program.h"

#include "console/text_stream.h"
#include "tests/fake_console.h"

using console::FakePlatform;
using console::IoCheck;
using console::StdOut;

namespace {

using Call = FakePlatform::Call;

class ProgramTest : public FakeConsoleTest {};

TEST_F(ProgramTest, FailureReportTextAndItsFinalFullStop) {
  struct Case {
    std::string message, text;
  };
  const Case cases[] = {
      {"File access denied",
       "Exception EInOutError in module fake.exe at 00001A2B.\r\n"
       "File access denied.\r\n"},
      {"Ends in a dot.",
       "Exception EInOutError in module fake.exe at 00001A2B.\r\n"
       "Ends in a dot.\r\n"},
      {"", "Exception EInOutError in module fake.exe at 00001A2B.\r\n\r\n"},
  };
  for (const Case& c : cases) {
    console::IoFailure failure;
    failure.message = c.message;
    EXPECT_EQ(console::FailureReportText(failure), c.text);
  }
  os_.location = {"infsurvey.exe", 0xABCDEF12};
  EXPECT_EQ(console::FailureReportText({}),
            "Exception EInOutError in module infsurvey.exe at ABCDEF12.\r\n\r\n");
}

TEST_F(ProgramTest, NormalEndWritesOutTheRest) {
  int code = console::RunMainBlock([] {
    console::WriteText(StdOut(), "done");
    IoCheck();
  });
  EXPECT_EQ(code, 0);
  EXPECT_EQ(StdOutBytes(), "done");
  EXPECT_EQ(StdErrBytes(), "");
}

TEST_F(ProgramTest, FailureWritesOutputThenTheReport) {
  os_.fs.AddFile("denied.inf", "");
  os_.FailCall(Call::kOpenForReading, 1, 5);
  int code = console::RunMainBlock([] {
    console::WriteText(StdOut(), "<drivers>");
    console::WriteLineEnd(StdOut());
    IoCheck();
    console::TextStream file;
    console::OpenForReading(file, "denied.inf");
    IoCheck();
    console::WriteText(StdOut(), "never");
  });
  EXPECT_EQ(code, 1);
  EXPECT_EQ(StdOutBytes(), "<drivers>\r\n");
  EXPECT_EQ(StdErrBytes(),
            "Exception EInOutError in module fake.exe at 00001A2B.\r\n"
            "File access denied.\r\n\r\n");
  EXPECT_EQ(os_.failures_offered, 1);
  EXPECT_EQ(os_.fs.open_handles, 0);
}

TEST_F(ProgramTest, FailingFlushBeforeTheReportIsReportedInstead) {
  os_.FailCall(Call::kOpenForReading, 1, 2);
  os_.FailCall(Call::kWriteFile, 1, 112);
  int code = console::RunMainBlock([] {
    console::WriteText(StdOut(), "buffered");
    IoCheck();
    console::TextStream file;
    console::OpenForReading(file, "x.inf");
    IoCheck();
  });
  EXPECT_EQ(code, 1);
  EXPECT_EQ(StdOutBytes(), "");
  EXPECT_EQ(StdErrBytes(),
            "Exception EInOutError in module fake.exe at 00001A2B.\r\n"
            "I/O error 112.\r\n\r\n");
}

TEST_F(ProgramTest, FailingLastWriteOutIsReportedWithExitCode1) {
  os_.FailCall(Call::kWriteFile, 1, 232);
  int code = console::RunMainBlock([] {
    console::WriteText(StdOut(), "MFG: MDL: ");
    console::EndStatement(StdOut());
    IoCheck();
  });
  EXPECT_EQ(code, 1);
  EXPECT_EQ(StdErrBytes(),
            "Exception EInOutError in module fake.exe at 00001A2B.\r\n"
            "I/O error 232.\r\n\r\n");
}

TEST_F(ProgramTest, ReportIsDroppedQuietlyWhenStdErrCannotBeWritten) {
  os_.FailCall(Call::kReadFile, 1, 30);
  os_.FailCall(Call::kWriteFile, 1, 6);
  int code = console::RunMainBlock([] {
    std::string line;
    console::ReadLineText(console::StdIn(), &line);
    IoCheck();
  });
  EXPECT_EQ(code, 1);
  EXPECT_EQ(StdErrBytes(), "\r\n");  // the second write of the report
}

}  // namespace
