#include "console/io_status.h"

namespace console {

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
