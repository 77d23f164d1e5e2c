#include "infsurvey/folder_scan.h"

#include <string_view>

#include "console/ascii_text.h"
#include "console/platform.h"

namespace infsurvey {
namespace {

#ifdef _WIN32
constexpr std::string_view kBaseNameSeparators = "\\:";
#else
constexpr std::string_view kBaseNameSeparators = "/";
#endif

// Only A-Z change, and only where they stand as characters of their own:
// the second byte of a double-byte character may look like a capital.
std::string LowerCaseName(std::string name) {
  if (console::Os().BytesAreCharacters()) return console::ToLowerAscii(name);
  char* text = name.data();
  for (char* p = text; *p != '\0';) {
    char* next = const_cast<char*>(console::Os().CharNext(p));
    if (next == p + 1) *p = console::ToLowerAscii(*p);
    p = next;
  }
  return name;
}

}  // namespace

std::vector<std::string> ListPackageFolders(const std::string& repository_folder) {
  std::vector<std::string> folders;
  console::Os().ListFolder(repository_folder + "*.*",
                           [&](const console::FolderEntry& entry) {
    if ((entry.attributes & console::kFolderAttribute) == 0) return;
    if (entry.name.empty() || entry.name[0] == '.') return;
    folders.push_back(repository_folder + entry.name);
  });
  return folders;
}

std::string BaseName(const std::string& path) {
  if (console::Os().BytesAreCharacters()) {
    std::size_t last = path.find_last_of(kBaseNameSeparators);
    return last == std::string::npos ? path : path.substr(last + 1);
  }
  // A separator byte may be the second byte of a character.
  const char* text = path.c_str();
  const char* base = text;
  for (const char* p = text; *p != '\0'; p = console::Os().CharNext(p)) {
    if (kBaseNameSeparators.find(*p) != std::string_view::npos) base = p + 1;
  }
  return path.substr(static_cast<std::size_t>(base - text));
}

std::string InfPathOf(const std::string& package_folder) {
  std::string base = LowerCaseName(BaseName(package_folder));
  std::size_t inf = console::FindText(base, ".inf");
  if (inf == std::string::npos) return "";
  return package_folder + console::kPathSeparator + base.substr(0, inf) + ".inf";
}

}  // namespace infsurvey
