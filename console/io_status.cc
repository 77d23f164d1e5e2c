#include "console/io_status.h"

#include "console/platform.h"

namespace console {

std::string IoErrorMessage(std::uint32_t code) {
  switch (code) {
    case kErrorFileNotFound: return "File not found";
    case kErrorPathNotFound: return "Invalid filename";
    case kErrorTooManyOpenFiles: return "Too many open files";
    case kErrorAccessDenied: return "File access denied";
    case kErrorNoCharacter: return "Invalid numeric input";
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
