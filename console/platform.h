// The one seam between the tools and the operating system.
//
// Everything the runtime and the two programs need of the system goes
// through Platform, in four parts: the file system (standard handles,
// files and folders), the code page, the process (command line, failure
// report, exit) and the locale (clock and texts). There are three
// implementations: Win32 (platform_win32.cc), POSIX (platform_posix.cc)
// and an in-memory fake beside the tests.
//
// Failures are Windows error codes on every build (error_codes.h).
//
// The file system part works on handles, as the system's own calls do,
// not on whole files (read a file, write a file), because both programs
// work on streams: output leaves in 128-byte blocks as it is made, and at
// each statement's end when the handle is a console, so its type matters;
// the dialogue reads each answer before it writes the next prompt; an INF
// is read in blocks only up to its 60th meaningful line, so 5 MB of lines
// cost their first 60; and a failure carries the code of the very call
// that failed, open, read or write, to the check of its statement. Reading
// whole files would save a few reads of small INFs but read every INF to
// its end.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "console/error_codes.h"

namespace console {

// A file descriptor on POSIX, a HANDLE on Windows, an index in the fake.
using Handle = std::intptr_t;

enum class StdHandle { kInput, kOutput, kError };

// What GetFileType answers; kUnknown also stands for a handle that cannot
// be queried.
enum class FileType { kUnknown = 0, kDisk = 1, kChar = 2, kPipe = 3 };

// An entry of a folder listing.
struct FolderEntry {
  std::string name;
  bool folder = false;
};

using FolderVisitor = std::function<void(const FolderEntry& entry)>;

struct LocalTime {
  int year = 0, month = 0, day = 0;  // month 1-12, day 1-31
  int hour = 0, minute = 0, second = 0;
};

// Where a failing check sits: the module's file name (no folder) and the
// offset of the code address from the module's start.
struct CodeLocation {
  std::string module;
  std::uintptr_t offset = 0;
};

// Handles and the names behind them: the standard handles, files opened by
// name and folders. Every call that can fail is here, so a test that wraps
// this one part can fail any of them.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Standard handle `which`; 0 or the error code when the system has none.
  virtual std::uint32_t GetStdHandle(StdHandle which, Handle* handle) = 0;
  virtual FileType GetFileType(Handle handle) = 0;
  // Reads up to `size` bytes into `buffer`; *count is 0 at the end of input.
  // Returns 0 or the error code.
  virtual std::uint32_t ReadFile(Handle handle, char* buffer,
                                 std::uint32_t size, std::uint32_t* count) = 0;
  // Writes all `size` bytes; returns 0 or the error code.
  virtual std::uint32_t WriteFile(Handle handle, const char* data,
                                  std::uint32_t size) = 0;
  // Opens an existing file for reading, letting others read it too.
  virtual std::uint32_t OpenForReading(const std::string& path,
                                       Handle* handle) = 0;
  virtual void CloseHandle(Handle handle) = 0;

  // Visits, in the file system's order, the entries whose paths begin with
  // `prefix`: those of the folder it names up to its last separator whose
  // names begin with the rest. None when the folder cannot be listed.
  virtual void ListFolder(const std::string& prefix,
                          const FolderVisitor& visit) = 0;
  // The path of the file at `path` that is not a folder, as found by the
  // system's own name rules; empty when there is none.
  virtual std::string FindFile(const std::string& path) = 0;
};

// The system's 8-bit code page.
class CodePage {
 public:
  virtual ~CodePage() = default;

  // Decodes `count` bytes as one character; false when they do not form
  // exactly one character.
  virtual bool DecodeChar(const char* bytes, int count,
                          std::uint16_t* code) = 0;
  // True when every byte is one character of the same code, so the
  // runtime may skip DecodeChar.
  virtual bool BytesAreCharacters() = 0;
  // Steps over one character (a double-byte character whole). Never steps
  // past the terminating NUL.
  virtual const char* CharNext(const char* text) = 0;
  // Text of this code page to the console's OEM code page.
  virtual std::string ToOem(std::string text) = 0;
  // Text of this code page to UTF-8.
  virtual std::string ToUtf8(std::string_view text) = 0;
};

// The process: its command line, its code and its end.
class Process {
 public:
  virtual ~Process() = default;

  // Argument `index` of the program: 0 is the executable's full path, the
  // others come from the command line; empty when there is no such one.
  virtual std::string ArgumentText(int index) = 0;
  virtual CodeLocation LocateCode(const void* address) = 0;
  // Offers an unhandled failure to the system's filter. Returns when the
  // program shall report it itself; otherwise the system ends the process.
  virtual void OfferUnhandledFailure(std::uint32_t code,
                                     const void* address) = 0;
  [[noreturn]] virtual void ExitProcess(int code) = 0;
};

// The clock and the texts of the thread's locale.
class Locale {
 public:
  virtual ~Locale() = default;

  virtual LocalTime GetLocalTime() = 0;
  // In UTF-8, whatever character set the locale keeps them in: the
  // abbreviated name of day `day` (0 Sunday to 6 Saturday) and the name of
  // month `month` (1 to 12); empty when the locale has none of up to 255
  // characters of its own.
  virtual std::string DayAbbreviation(int day) = 0;
  virtual std::string MonthName(int month) = 0;
  // The locale's time separator when it has one of at most one character:
  // an empty one is given as empty and shows as nothing between the
  // fields. Nothing when the locale names none or a longer one; the
  // caller then uses ":". Every platform follows this one rule.
  virtual std::optional<std::string> TimeSeparator() = 0;
};

// The one platform in use: one of each part.
struct Platform {
  FileSystem& files;
  CodePage& code_page;
  Process& process;
  Locale& locale;
};

// The real platform of this build. The programs' main() passes their
// arguments; without them, argument 0 is still the executable's path.
const Platform& SystemPlatform(int argc = 0, char** argv = nullptr);

// The platform, the standard streams and the I/O status are reached
// globally rather than passed along: every statement of both programs
// uses them, so a parameter would sit on nearly every function, while the
// tests and fuzzers set them in one place (tests/fake_platform.h).
inline const Platform* platform_in_use = nullptr;

// The platform in use. Until one is set, and after SetPlatform(nullptr),
// it is the system's own, so no caller ever meets a missing platform.
inline const Platform& Os() {
  return platform_in_use != nullptr ? *platform_in_use : SystemPlatform();
}

// Sets the platform in use and gives the one set before (nullptr for the
// system's own).
inline const Platform* SetPlatform(const Platform* platform) {
  const Platform* previous = platform_in_use;
  platform_in_use = platform;
  return previous;
}

}  // namespace console
