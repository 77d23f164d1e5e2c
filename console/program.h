// The life of a run around a program's main block: the failure report on
// standard error and the end of the run with exit code 0 or 1.
#pragma once

#include <functional>

#include "console/io_status.h"

namespace console {

using MainBlock = std::function<void()>;

// Runs the main block, reports an IoFailure that ends it, then closes the
// standard streams, writing out what standard output still holds. Gives
// the exit code: 0 after a normal end, 1 after a failure report, also when
// the last write-out of standard output fails.
int RunMainBlock(const MainBlock& main_block);

// The program's whole run on the system's platform; never returns.
[[noreturn]] void RunProgram(int argc, char** argv,
                             const MainBlock& main_block);

// The report's text: "Exception EInOutError in module M at 0000ABCD." and
// the message with a final ".", each followed by CR LF.
std::string FailureReportText(const IoFailure& failure);

}  // namespace console
