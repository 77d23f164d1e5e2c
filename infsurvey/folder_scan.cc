#include "infsurvey/folder_scan.h"

#include "console/ascii_text.h"
#include "console/path.h"
#include "console/platform.h"

namespace infsurvey {
namespace {

// Only A-Z change, and only where they stand as characters of their own:
// the second byte of a double-byte character may look like a capital.
std::string LowerCaseName(std::string name) {
  char* text = name.data();
  for (char* p = text; *p != '\0';) {
    char* next = const_cast<char*>(console::Os().code_page.CharNext(p));
    if (next == p + 1) *p = console::ToLowerAscii(*p);
    p = next;
  }
  return name;
}

}  // namespace

std::vector<std::string> ListPackageFolders(const std::string& repository_folder) {
  std::vector<std::string> folders;
  console::Os().files.ListFolder(repository_folder,
                                 [&](const console::FolderEntry& entry) {
    if (!entry.folder || entry.name.empty() || entry.name[0] == '.') return;
    folders.push_back(repository_folder + entry.name);
  });
  return folders;
}

std::string InfPathOf(const std::string& package_folder) {
  std::string base = LowerCaseName(console::BaseName(package_folder));
  std::size_t inf = console::FindText(base, ".inf");
  if (inf == std::string::npos) return "";
  return package_folder + console::kPathSeparator + base.substr(0, inf) + ".inf";
}

}  // namespace infsurvey
