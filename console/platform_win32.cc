// The platform on Windows: the Win32 calls themselves, with the system's
// own error codes and code pages.
#include <windows.h>

#include <optional>
#include <string>

#include "console/command_line.h"
#include "console/path.h"
#include "console/platform.h"

namespace console {
namespace {

// The code of the failure a debugger sees when one is attached.
constexpr DWORD kIoFailureException = 0xE0494F45;

HANDLE AsHandle(Handle handle) { return reinterpret_cast<HANDLE>(handle); }

std::uint32_t LastError() {
  DWORD code = ::GetLastError();
  // A failure must never read as success.
  return code != 0 ? static_cast<std::uint32_t>(code) : kErrorIoDevice;
}

std::string WideToUtf8(const wchar_t* wide, int length) {
  if (length <= 0) return "";
  int utf8_length = ::WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr,
                                          0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(utf8_length), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide, length, utf8.data(), utf8_length,
                        nullptr, nullptr);
  return utf8;
}

class Win32FileSystem final : public FileSystem {
 public:
  std::uint32_t GetStdHandle(StdHandle which, Handle* handle) override {
    DWORD id = which == StdHandle::kInput    ? STD_INPUT_HANDLE
               : which == StdHandle::kOutput ? STD_OUTPUT_HANDLE
                                             : STD_ERROR_HANDLE;
    HANDLE result = ::GetStdHandle(id);
    if (result == INVALID_HANDLE_VALUE) return LastError();
    *handle = reinterpret_cast<Handle>(result);
    return 0;
  }

  FileType GetFileType(Handle handle) override {
    switch (::GetFileType(AsHandle(handle))) {
      case FILE_TYPE_UNKNOWN: return FileType::kUnknown;
      case FILE_TYPE_CHAR: return FileType::kChar;
      case FILE_TYPE_PIPE: return FileType::kPipe;
    }
    return FileType::kDisk;
  }

  std::uint32_t ReadFile(Handle handle, char* buffer, std::uint32_t size,
                         std::uint32_t* count) override {
    DWORD got = 0;
    BOOL ok = ::ReadFile(AsHandle(handle), buffer, size, &got, nullptr);
    *count = ok ? got : 0;
    return ok ? 0 : LastError();
  }

  std::uint32_t WriteFile(Handle handle, const char* data,
                          std::uint32_t size) override {
    DWORD put = 0;
    if (!::WriteFile(AsHandle(handle), data, size, &put, nullptr))
      return LastError();
    return 0;
  }

  std::uint32_t OpenForReading(const std::string& path,
                               Handle* handle) override {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                nullptr);
    if (file == INVALID_HANDLE_VALUE) return LastError();
    *handle = reinterpret_cast<Handle>(file);
    return 0;
  }

  void CloseHandle(Handle handle) override { ::CloseHandle(AsHandle(handle)); }

  void ListFolder(const std::string& prefix,
                  const FolderVisitor& visit) override {
    WIN32_FIND_DATAA data;
    HANDLE search = ::FindFirstFileA((prefix + "*.*").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return;
    FolderEntry entry;
    do {
      entry.name = data.cFileName;
      entry.folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      visit(entry);
    } while (::FindNextFileA(search, &data));
    ::FindClose(search);
  }

  // Windows compares names without regard to case, so the path itself
  // names the file when there is one.
  std::string FindFile(const std::string& path) override {
    DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      return "";
    }
    return path;
  }
};

class Win32CodePage final : public CodePage {
 public:
  bool DecodeChar(const char* bytes, int count, std::uint16_t* code) override {
    WCHAR character = 0;
    int made = ::MultiByteToWideChar(CP_THREAD_ACP, MB_ERR_INVALID_CHARS,
                                     bytes, count, &character, 1);
    if (made <= 0) return false;
    *code = character;
    return true;
  }

  bool BytesAreCharacters() override { return false; }

  const char* CharNext(const char* text) override { return ::CharNextA(text); }

  std::string ToOem(std::string text) override {
    ::CharToOemA(text.data(), text.data());  // converts in place
    return text;
  }

  std::string ToUtf8(std::string_view text) override {
    if (text.empty()) return "";
    int length = static_cast<int>(text.size());
    int wide_length =
        ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(wide_length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, wide.data(),
                          wide_length);
    return WideToUtf8(wide.data(), wide_length);
  }
};

class Win32Process final : public Process {
 public:
  explicit Win32Process(CodePage& code_page) : code_page_(code_page) {
    // Failures are reported in text on standard error, never in a window.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX |
                   SEM_NOOPENFILEERRORBOX);
  }

  std::string ArgumentText(int index) override {
    if (index == 0) {
      char path[MAX_PATH + 1] = {};
      ::GetModuleFileNameA(nullptr, path, MAX_PATH);
      return path;
    }
    return CommandLineArgument(::GetCommandLineA(), index);
  }

  CodeLocation LocateCode(const void* address) override {
    HMODULE module = nullptr;
    ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                             GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         static_cast<LPCSTR>(address), &module);
    char path[MAX_PATH + 1] = {};
    ::GetModuleFileNameA(module, path, MAX_PATH);
    CodeLocation where;
    where.module = BaseName(path, code_page_);
    where.offset = reinterpret_cast<std::uintptr_t>(address) -
                   reinterpret_cast<std::uintptr_t>(module);
    return where;
  }

  // Only a debugger gets to see the failure: without one, the system's
  // filter could start one or show a dialog.
  void OfferUnhandledFailure(std::uint32_t code, const void* address) override {
    if (!::IsDebuggerPresent()) return;
    EXCEPTION_RECORD record = {};
    record.ExceptionCode = kIoFailureException;
    record.ExceptionAddress = const_cast<void*>(address);
    record.NumberParameters = 1;
    record.ExceptionInformation[0] = code;
    CONTEXT context = {};
    ::RtlCaptureContext(&context);
    EXCEPTION_POINTERS pointers = {&record, &context};
    if (::UnhandledExceptionFilter(&pointers) != EXCEPTION_EXECUTE_HANDLER)
      ::ExitProcess(1);
  }

  [[noreturn]] void ExitProcess(int code) override {
    ::ExitProcess(static_cast<UINT>(code));
  }

 private:
  CodePage& code_page_;
};

class Win32Locale final : public Locale {
 public:
  LocalTime GetLocalTime() override {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    LocalTime result;
    result.year = now.wYear;
    result.month = now.wMonth;
    result.day = now.wDay;
    result.hour = now.wHour;
    result.minute = now.wMinute;
    result.second = now.wSecond;
    return result;
  }

  std::string DayAbbreviation(int day) override {
    // The locale's days run from Monday.
    return LocaleText(LOCALE_SABBREVDAYNAME1 + (day + 6) % 7, 256).value_or("");
  }

  std::string MonthName(int month) override {
    return LocaleText(LOCALE_SMONTHNAME1 + month - 1, 256).value_or("");
  }

  std::optional<std::string> TimeSeparator() override {
    return LocaleText(LOCALE_STIME, 2);
  }

 private:
  // Locale item `item` when it fits a buffer of `buffer_size` characters
  // with its NUL, as GetLocaleInfoA gives it, but through the wide form:
  // the ANSI one gives the names in the locale's own code page, which need
  // not be the system's, and in none at all for locales that have no ANSI
  // code page.
  static std::optional<std::string> LocaleText(LCTYPE item, int buffer_size) {
    std::wstring buffer(static_cast<std::size_t>(buffer_size), L'\0');
    int length = ::GetLocaleInfoW(::GetThreadLocale(), item, buffer.data(),
                                  buffer_size);
    if (length <= 0) return std::nullopt;
    return WideToUtf8(buffer.data(), length - 1);
  }
};

}  // namespace

const Platform& SystemPlatform(int, char**) {
  static Win32FileSystem files;
  static Win32CodePage code_page;
  static Win32Process process(code_page);
  static Win32Locale locale;
  static const Platform platform{files, code_page, process, locale};
  return platform;
}

}  // namespace console
