// Every error code the runtime names, with its message: the one place for
// both. Failures are Windows error codes on every build (the POSIX platform
// turns each errno into the code of the same meaning), so both builds print
// the same report for the same fault. Codes not named here pass through and
// read "I/O error N".
#pragma once

#include <cstdint>
#include <string>

namespace console {

enum : std::uint32_t {
  kErrorFileNotFound = 2,
  kErrorPathNotFound = 3,
  kErrorTooManyOpenFiles = 4,
  kErrorAccessDenied = 5,
  kErrorInvalidHandle = 6,
  kErrorNotEnoughMemory = 8,
  kErrorWriteProtect = 19,
  kErrorWriteFault = 29,
  kErrorReadFault = 30,
  kErrorSharingViolation = 32,
  kErrorDeviceNotThere = 55,
  kErrorNetworkNameGone = 64,
  kErrorInvalidParameter = 87,
  kErrorBrokenPipe = 109,
  kErrorDiskFull = 112,
  kErrorBusy = 170,
  kErrorFilenameTooLong = 206,
  kErrorFileTooLarge = 223,
  kErrorNoData = 232,            // the reader of a pipe has gone
  kErrorPipeNotConnected = 233,  // no process at the other end of the pipe
  kErrorIoDevice = 1117,         // a failure the system gives no code of its own
  kErrorQuotaExceeded = 1295,
  kErrorTimeout = 1460,
  kErrorNameNotResolved = 1921,  // too many symbolic links

  // The runtime's own: a standard stream used that could not be opened.
  kErrorStdInNotOpen = 104,
  kErrorStdOutNotOpen = 105,
};

// The message of a failure's report.
inline std::string IoErrorMessage(std::uint32_t code) {
  switch (code) {
    case kErrorFileNotFound: return "File not found";
    case kErrorPathNotFound: return "Invalid filename";
    case kErrorTooManyOpenFiles: return "Too many open files";
    case kErrorAccessDenied: return "File access denied";
  }
  return "I/O error " + std::to_string(code);
}

}  // namespace console
