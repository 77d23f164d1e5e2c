#include "console/program.h"

#include <cstdio>
#include <cstdlib>
#include <cinttypes>

#include "console/platform.h"
#include "console/text_stream.h"

namespace console {
namespace {

// Writes the report of `failure` to standard error. Output written before
// the failure goes out first; when that write-out fails too, the report
// describes the new failure instead. A failed write-out empties the buffer,
// so there is never a third failure to report.
void ReportFailure(IoFailure failure) {
  Os().process.OfferUnhandledFailure(failure.code, failure.address);
  try {
    FlushStream(StdOut());
    IoCheck();
  } catch (const IoFailure& again) {
    failure = again;
  }
  std::string text = Os().code_page.ToOem(FailureReportText(failure));
  Handle error_handle = 0;
  if (Os().files.GetStdHandle(StdHandle::kError, &error_handle) != 0) return;
  // Nothing is left to tell of a report that cannot be written.
  Os().files.WriteFile(error_handle, text.data(),
                       static_cast<std::uint32_t>(text.size()));
  Os().files.WriteFile(error_handle, "\r\n", 2);
}

}  // namespace

std::string FailureReportText(const IoFailure& failure) {
  CodeLocation where = Os().process.LocateCode(failure.address);
  char offset[2 * sizeof(std::uintptr_t) + 1];
  std::snprintf(offset, sizeof offset, "%08" PRIXPTR, where.offset);
  std::string text = "Exception EInOutError in module " + where.module +
                     " at " + offset + ".\r\n" + failure.message;
  if (!failure.message.empty() && failure.message.back() != '.') text += '.';
  text += "\r\n";
  return text;
}

int RunMainBlock(const MainBlock& main_block) {
  int exit_code = 0;
  try {
    main_block();
  } catch (const IoFailure& failure) {
    ReportFailure(failure);
    exit_code = 1;
  }
  CloseStream(StdIn());
  CloseStream(StdOut());
  // Output cut short must not end under exit code 0.
  try {
    IoCheck();
  } catch (const IoFailure& failure) {
    ReportFailure(failure);
    exit_code = 1;
  }
  return exit_code;
}

void RunProgram(int argc, char** argv, const MainBlock& main_block) {
  SetPlatform(&SystemPlatform(argc, argv));
  int exit_code = RunMainBlock(main_block);
  Os().process.ExitProcess(exit_code);
  std::abort();  // not reached: a virtual call does not carry [[noreturn]]
}

}  // namespace console
