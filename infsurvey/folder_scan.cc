#include "infsurvey/folder_scan.h"

#include "console/ascii_text.h"
#include "console/path.h"
#include "console/platform.h"

namespace infsurvey {
namespace {

// Names are walked character by character: the second byte of a
// double-byte character may look like a separator or a capital.
const char* SystemCharStep(const char* text) {
  return console::Os().CharNext(text);
}

console::CharStep NameStep() {
  return console::Os().BytesAreCharacters() ? console::SingleByteStep
                                            : SystemCharStep;
}

// Only A-Z change, and only where they stand as characters of their own.
std::string LowerCaseName(std::string name, console::CharStep step) {
  char* text = name.data();
  for (char* p = text; *p != '\0';) {
    char* next = const_cast<char*>(step(p));
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

std::string InfPathOf(const std::string& package_folder) {
  console::CharStep step = NameStep();
  std::string base = LowerCaseName(console::BaseName(package_folder, step), step);
  std::size_t inf = console::FindText(base, ".inf");
  if (inf == std::string::npos) return "";
  return package_folder + console::kPathSeparator + base.substr(0, inf) + ".inf";
}

}  // namespace infsurvey
