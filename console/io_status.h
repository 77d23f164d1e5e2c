// The pending I/O status and the check that turns it into a failure.
//
// Stream operations never fail loudly: they store an error code in the
// status and return normally. The programs run IoCheck once at the end of
// every I/O statement; a pending code there raises IoFailure, which no
// program code handles, so it ends the run with the failure report.
#pragma once

#include <cstdint>
#include <string>

#include "console/error_codes.h"

namespace console {

struct IoFailure {
  std::uint32_t code = 0;
  std::string message;
  const void* address = nullptr;  // where the failing check sits
};

// One status per thread, 0 when nothing is pending. A later failure
// overwrites an earlier one.
inline thread_local std::uint32_t io_status = 0;

inline std::uint32_t IoStatus() { return io_status; }
inline void SetIoStatus(std::uint32_t code) { io_status = code; }

// Reads and clears the status and throws IoFailure for it. The thrown
// failure names the address this was called from.
[[noreturn]] void RaiseIoFailure();

inline void IoCheck() {
  if (io_status != 0) [[unlikely]]
    RaiseIoFailure();
}

}  // namespace console
