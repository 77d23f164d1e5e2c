// The platform on POSIX systems.
//
// Every errno is turned into the Windows code of the same meaning here, so
// that the rest of the program, and the reports it prints, are the same on
// every build. Bytes are characters of their own code: there is no 8-bit
// code page to decode.
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <string>

#include "console/ascii_text.h"
#include "console/platform.h"
#include "console/utf8.h"

namespace console {
namespace {

std::uint32_t WindowsCode(int error, bool writing) {
  switch (error) {
    case ENOENT: return kErrorFileNotFound;
    case ENOTDIR: return kErrorPathNotFound;
    case EMFILE:
    case ENFILE: return kErrorTooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EISDIR: return kErrorAccessDenied;
    case EBADF: return kErrorInvalidHandle;
    case ENOSPC: return kErrorDiskFull;
    case EPIPE: return kErrorNoData;
    case EIO: return writing ? kErrorWriteFault : kErrorReadFault;
    case ENAMETOOLONG: return kErrorFilenameTooLong;
    case ENOMEM: return kErrorNotEnoughMemory;
    case EROFS: return kErrorWriteProtect;
    case ENXIO:
    case ENODEV: return kErrorDeviceNotThere;
    case ECONNRESET: return kErrorNetworkNameGone;
    case EINVAL: return kErrorInvalidParameter;
    case EBUSY: return kErrorBusy;
    case ETXTBSY: return kErrorSharingViolation;
    case EFBIG:
    case EOVERFLOW: return kErrorFileTooLarge;
    case ENOTCONN: return kErrorPipeNotConnected;
    case EDQUOT: return kErrorQuotaExceeded;
    case ETIMEDOUT: return kErrorTimeout;
    case ELOOP: return kErrorNameNotResolved;
  }
  return kErrorIoDevice;
}

// Waits until a non-blocking descriptor inherited from elsewhere is ready.
void WaitReady(int fd, short events) {
  pollfd entry{fd, events, 0};
  while (poll(&entry, 1, -1) < 0 && errno == EINTR) {
  }
}

enum class EntryKind { kFolder, kFile, kOther };

// The kind of a folder entry; symbolic links are followed. The listing
// tells the kind of most entries without a stat of their own.
EntryKind KindOf(const std::string& path, unsigned char listed_type) {
  if (listed_type == DT_DIR) return EntryKind::kFolder;
  if (listed_type == DT_REG) return EntryKind::kFile;
  if (listed_type != DT_LNK && listed_type != DT_UNKNOWN) return EntryKind::kOther;
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return EntryKind::kOther;
  if (S_ISDIR(info.st_mode)) return EntryKind::kFolder;
  return S_ISREG(info.st_mode) ? EntryKind::kFile : EntryKind::kOther;
}

bool IsRegularFile(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Names and kinds of every entry of `folder`, in the order readdir gives
// them.
template <typename Visit>
void ForEachEntry(const std::string& folder, Visit visit) {
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return;
  std::string prefix = folder.back() == '/' ? folder : folder + "/";
  while (dirent* entry = readdir(dir)) {
    std::string_view name = entry->d_name;
    visit(name, [&] { return KindOf(prefix + entry->d_name, entry->d_type); });
  }
  closedir(dir);
}

// `text` in the character set `codeset` as UTF-8; nothing when it is not
// valid there or iconv cannot convert from that set.
std::optional<std::string> ToUtf8From(const char* codeset, std::string_view text) {
  bool ascii = true;
  for (char c : text) ascii &= static_cast<unsigned char>(c) < 128;
  if (ascii) return std::string(text);
  iconv_t converter = iconv_open("UTF-8", codeset);
  if (converter == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string utf8(text.size() * 4, '\0');  // room for any character set
  char* in = const_cast<char*>(text.data());
  std::size_t in_left = text.size();
  char* out = utf8.data();
  std::size_t out_left = utf8.size();
  std::size_t converted = iconv(converter, &in, &in_left, &out, &out_left);
  iconv_close(converter);
  if (converted == static_cast<std::size_t>(-1) || in_left != 0)
    return std::nullopt;
  utf8.resize(utf8.size() - out_left);
  return utf8;
}

// A text of the locale in UTF-8 when it is not empty and fits a buffer of
// `buffer_size` bytes of the locale's own character set with its NUL, as
// a Windows locale's ANSI text would; nothing otherwise.
std::optional<std::string> LocaleText(const std::string& value,
                                      std::size_t buffer_size) {
  if (value.empty() || value.size() + 1 > buffer_size) return std::nullopt;
  return ToUtf8From(nl_langinfo(CODESET), value);
}

// The time separator of a strftime time format: the text between the
// hour and the next conversion, empty when another conversion follows at
// once; nothing when the format has no hour or nothing after it.
std::optional<std::string> TimeSeparatorOf(const std::string& format) {
  for (std::size_t i = 0; i + 1 < format.size(); ++i) {
    if (format[i] != '%') continue;
    std::size_t conversion = i + 1;
    if (format[conversion] == 'O' || format[conversion] == 'E') ++conversion;
    if (conversion >= format.size()) break;
    char letter = format[conversion];
    if (letter == 'T' || letter == 'R') return ":";
    if (letter == 'r') {
      std::string twelve_hour = nl_langinfo(T_FMT_AMPM);
      if (twelve_hour.find("%r") != std::string::npos) return std::nullopt;
      return TimeSeparatorOf(twelve_hour);
    }
    if (letter == 'H' || letter == 'I' || letter == 'k' || letter == 'l') {
      std::size_t next = format.find('%', conversion + 1);
      if (next == std::string::npos) return std::nullopt;
      return format.substr(conversion + 1, next - conversion - 1);
    }
    i = conversion;
  }
  return std::nullopt;
}

// Every byte is a character of its own; '/' is never part of another
// character.
std::string PosixBaseName(const std::string& path) {
  return path.substr(path.rfind('/') + 1);
}

class PosixFileSystem final : public FileSystem {
 public:
  std::uint32_t GetStdHandle(StdHandle which, Handle* handle) override {
    *handle = which == StdHandle::kInput    ? STDIN_FILENO
              : which == StdHandle::kOutput ? STDOUT_FILENO
                                            : STDERR_FILENO;
    return 0;
  }

  FileType GetFileType(Handle handle) override {
    struct stat info;
    if (fstat(static_cast<int>(handle), &info) != 0) return FileType::kUnknown;
    if (S_ISCHR(info.st_mode)) return FileType::kChar;
    if (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode)) return FileType::kPipe;
    return FileType::kDisk;
  }

  std::uint32_t ReadFile(Handle handle, char* buffer, std::uint32_t size,
                         std::uint32_t* count) override {
    *count = 0;
    int fd = static_cast<int>(handle);
    for (;;) {
      ssize_t got = read(fd, buffer, size);
      if (got >= 0) {
        *count = static_cast<std::uint32_t>(got);
        return 0;
      }
      if (errno == EAGAIN || errno == EWOULDBLOCK) {
        WaitReady(fd, POLLIN);
      } else if (errno != EINTR) {
        return WindowsCode(errno, false);
      }
    }
  }

  std::uint32_t WriteFile(Handle handle, const char* data,
                          std::uint32_t size) override {
    int fd = static_cast<int>(handle);
    while (size > 0) {
      ssize_t put = write(fd, data, size);
      if (put >= 0) {
        data += put;
        size -= static_cast<std::uint32_t>(put);
      } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
        WaitReady(fd, POLLOUT);
      } else if (errno != EINTR) {
        return WindowsCode(errno, true);
      }
    }
    return 0;
  }

  std::uint32_t OpenForReading(const std::string& path,
                               Handle* handle) override {
    for (;;) {
      int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
      if (fd >= 0) {
        *handle = fd;
        return 0;
      }
      if (errno != EINTR) return WindowsCode(errno, false);
    }
  }

  void CloseHandle(Handle handle) override { close(static_cast<int>(handle)); }

  void ListFolder(const std::string& prefix,
                  const FolderVisitor& visit) override {
    std::size_t slash = prefix.rfind('/');
    std::string folder =
        slash == std::string::npos ? "." : prefix.substr(0, slash + 1);
    std::string_view start = std::string_view(prefix);
    if (slash != std::string::npos) start.remove_prefix(slash + 1);
    FolderEntry entry;
    ForEachEntry(folder, [&](std::string_view name, auto kind) {
      if (name.substr(0, start.size()) != start) return;
      entry.name = name;
      entry.folder = kind() == EntryKind::kFolder;
      visit(entry);
    });
  }

  // POSIX names compare by case, Windows names do not: when the exact name
  // is missing, a name that differs only in ASCII case is taken instead.
  std::string FindFile(const std::string& path) override {
    if (IsRegularFile(path)) return path;
    std::size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
    std::string wanted = PosixBaseName(path);
    std::string found;
    ForEachEntry(folder.empty() ? "/" : folder,
                 [&](std::string_view name, auto kind) {
      if (!EqualsIgnoringCase(name, wanted)) return;
      if (!found.empty() && name >= found) return;
      if (kind() == EntryKind::kFile) found = name;
    });
    return found.empty() ? "" : path.substr(0, slash + 1) + found;
  }
};

class PosixCodePage final : public CodePage {
 public:
  bool DecodeChar(const char* bytes, int count, std::uint16_t* code) override {
    *code = static_cast<unsigned char>(bytes[0]);
    return count == 1;
  }
  bool BytesAreCharacters() override { return true; }
  const char* CharNext(const char* text) override {
    return *text == '\0' ? text : text + 1;
  }
  std::string ToOem(std::string text) override { return text; }
  std::string ToUtf8(std::string_view text) override {
    return Utf8FromBytes(text);
  }
};

class PosixProcess final : public Process {
 public:
  std::string ArgumentText(int index) override {
    if (index == 0) {
      char path[4096];
      ssize_t length = readlink("/proc/self/exe", path, sizeof path);
      if (length > 0 && static_cast<std::size_t>(length) < sizeof path)
        return std::string(path, static_cast<std::size_t>(length));
    }
    if (index < 0 || index >= argc || argv[index] == nullptr) return "";
    return argv[index];
  }

  CodeLocation LocateCode(const void* address) override {
    CodeLocation where;
    where.module = PosixBaseName(ArgumentText(0));
    Dl_info info;
    std::uintptr_t base = 0;
    if (dladdr(address, &info) != 0) {
      base = reinterpret_cast<std::uintptr_t>(info.dli_fbase);
    }
    where.offset = reinterpret_cast<std::uintptr_t>(address) - base;
    return where;
  }

  void OfferUnhandledFailure(std::uint32_t, const void*) override {}

  [[noreturn]] void ExitProcess(int code) override { std::exit(code); }

  int argc = 0;
  char** argv = nullptr;
};

class PosixLocale final : public Locale {
 public:
  LocalTime GetLocalTime() override {
    time_t now = time(nullptr);
    struct tm parts {};
    localtime_r(&now, &parts);
    LocalTime result;
    result.year = parts.tm_year + 1900;
    result.month = parts.tm_mon + 1;
    result.day = parts.tm_mday;
    result.hour = parts.tm_hour;
    result.minute = parts.tm_min;
    result.second = parts.tm_sec;
    return result;
  }

  std::string DayAbbreviation(int day) override {
    static const nl_item kDays[] = {ABDAY_1, ABDAY_2, ABDAY_3, ABDAY_4,
                                    ABDAY_5, ABDAY_6, ABDAY_7};
    return LocaleText(nl_langinfo(kDays[day]), 256).value_or("");
  }

  std::string MonthName(int month) override {
    static const nl_item kMonths[] = {MON_1, MON_2, MON_3,  MON_4,
                                      MON_5, MON_6, MON_7,  MON_8,
                                      MON_9, MON_10, MON_11, MON_12};
    return LocaleText(nl_langinfo(kMonths[month - 1]), 256).value_or("");
  }

  std::optional<std::string> TimeSeparator() override {
    std::optional<std::string> separator = TimeSeparatorOf(nl_langinfo(T_FMT));
    // An empty one is the locale's own, as Windows gives it: no text.
    if (!separator || separator->empty()) return separator;
    return LocaleText(*separator, 2);
  }
};

}  // namespace

const Platform& SystemPlatform(int argc, char** argv) {
  static PosixFileSystem files;
  static PosixCodePage code_page;
  static PosixProcess process;
  static PosixLocale locale;
  static const Platform platform = [] {
    // A reader that has gone must show as a failed write, not kill us.
    signal(SIGPIPE, SIG_IGN);
    // The user's time locale, and the character set of the same locale,
    // in which its names are written. Nothing here depends on LC_CTYPE
    // otherwise: the programs use no character classes of the locale.
    if (const char* time_locale = setlocale(LC_TIME, ""))
      setlocale(LC_CTYPE, std::string(time_locale).c_str());
    return Platform{files, code_page, process, locale};
  }();
  if (argv != nullptr) {
    process.argc = argc;
    process.argv = argv;
  }
  return platform;
}

}  // namespace console
