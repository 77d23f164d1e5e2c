// An in-memory platform for tests: a file system that behaves like one,
// with scripted standard input and captured writes, a wrapper that makes
// any file system's calls fail on demand, and a code page, process and
// locale set field by field.
#pragma once

#include <array>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "console/platform.h"

namespace console {

// One map of paths to entries; folder listings and the lookup of names
// without regard to case are derived from it. Paths use this build's
// separators (console/path.h) and name no trailing separator. A name opens
// as given, byte for byte, as on POSIX; FindFile is where case is ignored,
// as on Windows. Listings give "." and ".." first, then the entries in the
// order they were made, and take the prefix byte for byte.
class FakeFileSystem final : public FileSystem {
 public:
  static constexpr Handle kStdInHandle = 10;
  static constexpr Handle kStdOutHandle = 11;
  static constexpr Handle kStdErrHandle = 12;

  struct Entry {
    std::string bytes;
    bool folder = false;
    int order = 0;  // when it was made
  };
  struct Write {
    Handle handle;
    std::string bytes;
  };

  // Makes a file, or a folder, and the folders on its path.
  void AddFile(const std::string& path, std::string bytes);
  void AddFolder(const std::string& path);

  // All bytes written to `handle`, in order.
  std::string Written(Handle handle) const;
  // The sizes of the single writes to `handle`.
  std::vector<std::size_t> WriteSizes(Handle handle) const;

  std::map<std::string, Entry> entries;
  std::map<std::string, int> reads_of_file;  // by path
  int open_handles = 0;

  // Standard input and output.
  std::string stdin_bytes;
  FileType stdout_type = FileType::kPipe;
  // Largest count each read hands out, taken in turn; empty: no limit.
  std::vector<std::uint32_t> read_sizes;
  std::vector<Write> writes;

  std::uint32_t GetStdHandle(StdHandle which, Handle* handle) override;
  FileType GetFileType(Handle handle) override;
  std::uint32_t ReadFile(Handle handle, char* buffer, std::uint32_t size,
                         std::uint32_t* count) override;
  std::uint32_t WriteFile(Handle handle, const char* data,
                          std::uint32_t size) override;
  std::uint32_t OpenForReading(const std::string& path,
                               Handle* handle) override;
  void CloseHandle(Handle handle) override;
  void ListFolder(const std::string& prefix,
                  const FolderVisitor& visit) override;
  std::string FindFile(const std::string& path) override;

 private:
  struct OpenFile {
    std::string path;
    std::size_t position = 0;
  };
  void Add(const std::string& path, std::string bytes, bool folder);

  std::size_t stdin_position_ = 0;
  std::size_t next_read_size_ = 0;
  std::map<Handle, OpenFile> open_files_;
  Handle next_handle_ = 100;
};

// Any file system, with chosen calls made to fail, as a shim over the
// system's own or the fake.
class FailingFileSystem final : public FileSystem {
 public:
  enum class Call {
    kGetStdHandle,
    kGetFileType,
    kReadFile,
    kWriteFile,
    kOpenForReading,
    kCount
  };

  explicit FailingFileSystem(FileSystem& inner) : inner_(inner) {}

  // Makes the `nth` call (from 1) of `call` fail with `code` (without one,
  // with kErrorIoDevice); a failing type query answers kUnknown.
  void FailCall(Call call, int nth, std::uint32_t code = 0);
  int CallCount(Call call) const { return calls_[static_cast<int>(call)]; }

  std::uint32_t GetStdHandle(StdHandle which, Handle* handle) override;
  FileType GetFileType(Handle handle) override;
  std::uint32_t ReadFile(Handle handle, char* buffer, std::uint32_t size,
                         std::uint32_t* count) override;
  std::uint32_t WriteFile(Handle handle, const char* data,
                          std::uint32_t size) override;
  std::uint32_t OpenForReading(const std::string& path,
                               Handle* handle) override;
  void CloseHandle(Handle handle) override { inner_.CloseHandle(handle); }
  void ListFolder(const std::string& prefix,
                  const FolderVisitor& visit) override {
    inner_.ListFolder(prefix, visit);
  }
  std::string FindFile(const std::string& path) override {
    return inner_.FindFile(path);
  }

 private:
  // Counts the call; the code it shall fail with, or 0.
  std::uint32_t Count(Call call);

  FileSystem& inner_;
  std::array<int, static_cast<int>(Call::kCount)> calls_{};
  std::map<std::pair<int, int>, std::uint32_t> failures_;
};

// The whole fake: the fake file system behind a failing shim, and the
// other parts of the platform.
class FakePlatform final : public CodePage, public Process, public Locale {
 public:
  using Call = FailingFileSystem::Call;

  FakePlatform() = default;
  FakePlatform(const FakePlatform&) = delete;
  FakePlatform& operator=(const FakePlatform&) = delete;

  void FailCall(Call call, int nth, std::uint32_t code = 0) {
    failing.FailCall(call, nth, code);
  }
  int CallCount(Call call) const { return failing.CallCount(call); }

  FakeFileSystem fs;
  FailingFileSystem failing{fs};
  const Platform platform{failing, *this, *this, *this};

  // Bytes that need a second byte to form a character, bytes that never
  // form one, and longer characters by their bytes (no byte that begins
  // one forms a character alone); all empty means one byte, one character.
  std::string lead_bytes;
  std::string invalid_bytes;
  std::map<std::string, std::uint16_t> characters;
  // ToUtf8 takes every byte for the Latin-1 character of its code, as a
  // Western system's code page does, rather than UTF-8 as it stands.
  bool latin1_code_page = false;

  std::vector<std::string> arguments;  // [0] is the executable's path
  CodeLocation location{"fake.exe", 0x1A2B};
  int failures_offered = 0;

  LocalTime local_time;
  // The locale's texts; an empty name or no separator: the locale has none.
  std::array<std::string, 7> day_abbreviations;  // Sunday first
  std::array<std::string, 12> month_names;
  std::optional<std::string> time_separator;

  bool DecodeChar(const char* bytes, int count, std::uint16_t* code) override;
  bool BytesAreCharacters() override;
  const char* CharNext(const char* text) override;
  std::string ToOem(std::string text) override { return text; }
  std::string ToUtf8(std::string_view text) override;

  std::string ArgumentText(int index) override;
  CodeLocation LocateCode(const void*) override { return location; }
  void OfferUnhandledFailure(std::uint32_t, const void*) override {
    ++failures_offered;
  }
  [[noreturn]] void ExitProcess(int code) override;

  LocalTime GetLocalTime() override { return local_time; }
  std::string DayAbbreviation(int day) override {
    return day_abbreviations[static_cast<std::size_t>(day)];
  }
  std::string MonthName(int month) override {
    return month_names[static_cast<std::size_t>(month - 1)];
  }
  std::optional<std::string> TimeSeparator() override { return time_separator; }

 private:
  bool IsLead(char byte) const;
};

// The platform in use where no test has set one: every call is refused,
// that is named to `refuse`, and answers as if nothing were there, so a
// test that forgets its fixture says so rather than reach the real system.
class RefusingPlatform final : public FileSystem,
                               public CodePage,
                               public Process,
                               public Locale {
 public:
  using Refuse = void (*)(const char* call);
  explicit RefusingPlatform(Refuse refuse) : refuse_(refuse) {}
  RefusingPlatform(const RefusingPlatform&) = delete;
  RefusingPlatform& operator=(const RefusingPlatform&) = delete;

  const Platform platform{*this, *this, *this, *this};

  std::uint32_t GetStdHandle(StdHandle, Handle*) override {
    return Refused("GetStdHandle", kErrorInvalidHandle);
  }
  FileType GetFileType(Handle) override {
    return Refused("GetFileType", FileType::kUnknown);
  }
  std::uint32_t ReadFile(Handle, char*, std::uint32_t,
                         std::uint32_t* count) override {
    *count = 0;
    return Refused("ReadFile", kErrorInvalidHandle);
  }
  std::uint32_t WriteFile(Handle, const char*, std::uint32_t) override {
    return Refused("WriteFile", kErrorInvalidHandle);
  }
  std::uint32_t OpenForReading(const std::string&, Handle*) override {
    return Refused("OpenForReading", kErrorFileNotFound);
  }
  void CloseHandle(Handle) override { refuse_("CloseHandle"); }
  void ListFolder(const std::string&, const FolderVisitor&) override {
    refuse_("ListFolder");
  }
  std::string FindFile(const std::string&) override {
    return Refused("FindFile", std::string());
  }

  bool DecodeChar(const char*, int, std::uint16_t*) override {
    return Refused("DecodeChar", false);
  }
  bool BytesAreCharacters() override { return Refused("BytesAreCharacters", true); }
  const char* CharNext(const char* text) override {
    return Refused("CharNext", *text == '\0' ? text : text + 1);
  }
  std::string ToOem(std::string text) override { return Refused("ToOem", text); }
  std::string ToUtf8(std::string_view text) override {
    return Refused("ToUtf8", std::string(text));
  }

  std::string ArgumentText(int) override {
    return Refused("ArgumentText", std::string());
  }
  CodeLocation LocateCode(const void*) override {
    return Refused("LocateCode", CodeLocation());
  }
  void OfferUnhandledFailure(std::uint32_t, const void*) override {
    refuse_("OfferUnhandledFailure");
  }
  [[noreturn]] void ExitProcess(int) override {
    refuse_("ExitProcess");
    std::abort();
  }

  LocalTime GetLocalTime() override { return Refused("GetLocalTime", LocalTime()); }
  std::string DayAbbreviation(int) override {
    return Refused("DayAbbreviation", std::string());
  }
  std::string MonthName(int) override {
    return Refused("MonthName", std::string());
  }
  std::optional<std::string> TimeSeparator() override {
    return Refused("TimeSeparator", std::optional<std::string>());
  }

 private:
  template <typename Answer>
  Answer Refused(const char* call, Answer answer) {
    refuse_(call);
    return answer;
  }

  Refuse refuse_;
};

// The fake platform in use, with closed standard streams and no pending
// I/O status, for the life of this object; then the streams are closed and
// the platform in use before is put back.
class ScopedFakeConsole {
 public:
  ScopedFakeConsole();
  ~ScopedFakeConsole();
  ScopedFakeConsole(const ScopedFakeConsole&) = delete;
  ScopedFakeConsole& operator=(const ScopedFakeConsole&) = delete;

  FakePlatform os;

 private:
  const Platform* previous_;
};

}  // namespace console
