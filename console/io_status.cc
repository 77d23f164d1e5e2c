#include "console/io_status.h"

namespace console {

std::string IoErrorMessage(std::uint32_t code) {
  switch (code) {
    case 2: return "File not found";
    case 3: return "Invalid filename";
    case 4: return "Too many open files";
    case 5: return "File access denied";
    case 100: return "Read beyond end of file";
    case 101: return "Disk full";
    case 106: return "Invalid numeric input";
  }
  return "I/O error " + std::to_string(code);
}

// Kept out of line so that the return address is the failing check's own
// place in its caller, which the report prints.
[[gnu::noinline]] void RaiseIoFailure() {
  IoFailure failure;
  failure.code = io_status;
  io_status = 0;
  failure.message = IoErrorMessage(failure.code);
  failure.address = __builtin_return_address(0);
  throw failure;
}

}  // namespace console
