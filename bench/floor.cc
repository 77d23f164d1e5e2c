// The floor of the benchmark: only the file-system work that the two tools
// cannot avoid for the same result, in plain POSIX calls.
//
//   floor inf REPOSITORY/ OUTPUT_BYTES
//     Lists the repository (readdir, d_type), finds each package folder's
//     INF as infsurvey does (stat, then a case-insensitive listing of the
//     package folder), reads it in 128-byte blocks up to its 60th
//     meaningful line, closes it; then writes OUTPUT_BYTES bytes to
//     standard output in 128-byte blocks.
//   floor stdin OUTPUT_BYTES
//     Reads standard input to its end in 128-byte blocks and takes the
//     device-identifier checksum of each pair of lines, as pnpsum must for
//     each pair of answers, in the tightest loop: one table load and one
//     XOR a byte on the chain of dependent steps. Writes OUTPUT_BYTES
//     bytes in 128-byte blocks as it reads, as the tool's full buffers go
//     out during the dialogue.
//
// OUTPUT_BYTES is what the measured tool wrote for the same input, so both
// make the same number of write calls.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kBlock = 128;
constexpr int kMaxMeaningfulLines = 60;

[[noreturn]] void Fail(const char* what, const std::string& path) {
  std::fprintf(stderr, "floor: %s %s: %s\n", what, path.c_str(),
               std::strerror(errno));
  std::exit(1);
}

std::string LowerAscii(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
  return text;
}

bool IsKind(const std::string& path, mode_t kind) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && (info.st_mode & S_IFMT) == kind;
}

// The d_type answer when it is one; a stat only when the listing cannot
// tell (symbolic links, file systems without d_type).
bool EntryIs(const dirent* entry, const std::string& path, unsigned char type,
             mode_t kind) {
  if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK)
    return IsKind(path, kind);
  return entry->d_type == type;
}

std::vector<std::string> PackageFolders(const std::string& repository) {
  std::vector<std::string> folders;
  DIR* dir = opendir(repository.c_str());
  if (dir == nullptr) return folders;
  while (dirent* entry = readdir(dir)) {
    if (entry->d_name[0] == '.') continue;
    std::string path = repository + entry->d_name;
    if (EntryIs(entry, path, DT_DIR, S_IFDIR)) folders.push_back(std::move(path));
  }
  closedir(dir);
  return folders;
}

// The INF of a package folder, or empty when it has none.
std::string FindInf(const std::string& folder) {
  std::size_t slash = folder.rfind('/');
  std::string base = LowerAscii(folder.substr(slash + 1));
  std::size_t inf = base.find(".inf");
  if (inf == std::string::npos) return "";
  std::string wanted = base.substr(0, inf) + ".inf";
  std::string path = folder + "/" + wanted;
  if (IsKind(path, S_IFREG)) return path;
  // Names compare by case here: take the least name that matches without.
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return "";
  std::string found;
  while (dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name.size() != wanted.size() || LowerAscii(name) != wanted) continue;
    if (!found.empty() && name >= found) continue;
    if (EntryIs(entry, folder + "/" + name, DT_REG, S_IFREG)) found = name;
  }
  closedir(dir);
  return found.empty() ? "" : folder + "/" + found;
}

// Reads up to the 60th meaningful line: the text between CR or LF line
// ends, bytes 32-127 only, not blank and not starting with ";". Byte 26
// ends the file.
void ReadMeaningfulLines(const std::string& path) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) Fail("cannot open", path);
  char block[kBlock];
  int lines = 0;
  char first = 0;  // the line's first byte that is not a blank
  for (;;) {
    ssize_t got = read(fd, block, kBlock);
    if (got < 0) Fail("cannot read", path);
    if (got == 0) break;
    bool done = false;
    for (ssize_t i = 0; i < got && !done; ++i) {
      unsigned char byte = static_cast<unsigned char>(block[i]);
      if (byte == 26) {
        done = true;
      } else if (byte == '\r' || byte == '\n') {
        if (first != 0 && first != ';' && ++lines == kMaxMeaningfulLines)
          done = true;
        first = 0;
      } else if (byte > 32 && byte <= 127 && first == 0) {
        first = static_cast<char>(byte);
      }
    }
    if (done) break;
  }
  close(fd);
}

// The checksum's two nibble tables folded into one table of 256 entries,
// kept as its low and high bytes: the fastest form of the same function,
// the one pnpsum uses.
struct ChecksumTable {
  unsigned char low[256], high[256];
  ChecksumTable() {
    static const std::uint16_t kLow[16] = {
        0x0000, 0xC0C1, 0xC181, 0x0140, 0xC301, 0x03C0, 0x0280, 0xC241,
        0xC601, 0x06C0, 0x0780, 0xC741, 0x0500, 0xC5C1, 0xC481, 0x0440};
    static const std::uint16_t kHigh[16] = {
        0x0000, 0xCC01, 0xD801, 0x1400, 0xF001, 0x3C00, 0x2800, 0xE401,
        0xA001, 0x6C00, 0x7800, 0xB401, 0x5000, 0x9C01, 0x8801, 0x4600};
    for (unsigned i = 0; i < 256; ++i) {
      unsigned entry = kLow[i & 15] ^ kHigh[i >> 4];
      low[i] = static_cast<unsigned char>(entry);
      high[i] = static_cast<unsigned char>(entry >> 8);
    }
  }
};

// The checksum register after `size` bytes, from `crc`: the register's
// high byte XOR the next byte is ready before the table load of the step
// before returns, so one load and one XOR a byte lie on the chain.
unsigned Checksum(const ChecksumTable& table, unsigned crc,
                  const unsigned char* bytes, std::size_t size) {
  if (size == 0) return crc;
  unsigned index = (crc & 0xFF) ^ bytes[0];
  unsigned ahead = crc >> 8;
  if (size > 1) ahead ^= bytes[1];
  for (std::size_t next = 2; next < size; ++next) {
    unsigned low = table.low[index] ^ ahead;
    ahead = table.high[index] ^ bytes[next];
    index = low;
  }
  if (size > 1) {
    unsigned low = table.low[index] ^ ahead;
    ahead = table.high[index];
    index = low;
  }
  return table.high[index] << 8 | (table.low[index] ^ ahead);
}

void WriteBytes(unsigned long long count) {
  char block[kBlock];
  std::memset(block, 'x', sizeof block);
  while (count > 0) {
    std::size_t size = count < kBlock ? static_cast<std::size_t>(count) : kBlock;
    if (write(STDOUT_FILENO, block, size) != static_cast<ssize_t>(size))
      Fail("cannot write", "standard output");
    count -= size;
  }
}

// Reads standard input and gives the checksums of its line pairs, folded
// into one value so that the compiler cannot drop them. A line's CR before
// its LF is left out, as the line reader drops it. The `output` bytes go
// out while the input is read, as the tool's full buffers do: after each
// read, the whole blocks of the share that the input read so far stands
// for. Input of unknown size (a pipe) has all of it written at the end.
unsigned ChecksumLinePairs(unsigned long long output) {
  static const ChecksumTable table;
  unsigned char block[kBlock];
  unsigned folded = 0, checksum = 0;
  bool second_line = false;
  struct stat info;
  unsigned long long input_size =
      fstat(STDIN_FILENO, &info) == 0 && S_ISREG(info.st_mode) ? info.st_size : 0;
  unsigned long long input_read = 0, written = 0;
  for (;;) {
    ssize_t got = read(STDIN_FILENO, block, kBlock);
    if (got < 0) Fail("cannot read", "standard input");
    if (got == 0) break;
    input_read += static_cast<unsigned long long>(got);
    if (input_read <= input_size) {
      unsigned long long due = output * input_read / input_size / kBlock * kBlock;
      if (due > written) WriteBytes(due - written), written = due;
    }
    const unsigned char* next = block;
    const unsigned char* end = block + got;
    while (next != end) {
      const void* found =
          std::memchr(next, '\n', static_cast<std::size_t>(end - next));
      const unsigned char* stop =
          found ? static_cast<const unsigned char*>(found) : end;
      const unsigned char* text_end =
          found && stop != next && stop[-1] == '\r' ? stop - 1 : stop;
      checksum = Checksum(table, checksum, next,
                          static_cast<std::size_t>(text_end - next));
      next = stop;
      if (found) {
        ++next;
        if (second_line) folded ^= checksum, checksum = 0;
        second_line = !second_line;
      }
    }
  }
  WriteBytes(output - written);
  return folded ^ checksum;
}

unsigned long long ByteCount(const char* text) {
  char* end = nullptr;
  unsigned long long count = std::strtoull(text, &end, 10);
  if (end == text || *end != '\0') {
    std::fprintf(stderr, "floor: not a byte count: %s\n", text);
    std::exit(2);
  }
  return count;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "inf") == 0) {
    unsigned long long output = ByteCount(argv[3]);
    for (const std::string& folder : PackageFolders(argv[2])) {
      std::string inf = FindInf(folder);
      if (!inf.empty()) ReadMeaningfulLines(inf);
    }
    WriteBytes(output);
    return 0;
  }
  if (argc == 3 && std::strcmp(argv[1], "stdin") == 0) {
    unsigned long long output = ByteCount(argv[2]);
    volatile unsigned checksums = ChecksumLinePairs(output);
    (void)checksums;
    return 0;
  }
  std::fprintf(stderr,
               "usage: floor inf REPOSITORY/ OUTPUT_BYTES\n"
               "       floor stdin OUTPUT_BYTES\n");
  return 2;
}
