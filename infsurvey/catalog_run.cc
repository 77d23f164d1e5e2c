#include "infsurvey/catalog_run.h"

#include <string>
#include <vector>

#include "console/platform.h"
#include "infsurvey/catalog_writer.h"
#include "infsurvey/folder_scan.h"
#include "infsurvey/inf_line_reader.h"
#include "infsurvey/inf_section_store.h"
#include "infsurvey/manufacturer_models.h"
#include "infsurvey/time_stamp.h"

namespace infsurvey {
namespace {

// Taken verbatim as a prefix: the entry names follow it directly.
constexpr char kDefaultRepositoryFolder[] =
    "C:\\Windows\\System32\\DriverStore\\FileRepository\\";
constexpr char kDefaultCatalogComment[] =
    "Windows 7 64bit AMD pre-installed drivers";

// What reading one INF needs, kept from one INF to the next so that its
// storage serves them all.
struct InfWorkspace {
  InfLineList lines;
  InfSectionStore store;
  ManufacturerModels found;
};

// Reads the INF at `inf_path` and writes its manufacturer element, or
// nothing when it is no printer INF or names no models.
void ProcessInf(const std::string& inf_path, InfWorkspace& workspace) {
  ReadInfLines(inf_path, &workspace.lines);
  workspace.store.LoadLines(workspace.lines);
  if (FindManufacturerModels(workspace.store, &workspace.found))
    WriteManufacturerElement(workspace.found, inf_path);
}

}  // namespace

void CatalogRun() {
  LocaleTexts locale = LoadLocaleTexts();
  std::string repository_folder = kDefaultRepositoryFolder;
  std::string catalog_comment = kDefaultCatalogComment;
  if (std::string folder = console::Os().process.ArgumentText(1); !folder.empty())
    repository_folder = folder;
  if (std::string comment = console::Os().process.ArgumentText(2); !comment.empty())
    catalog_comment = comment;

  // The list is complete before the first line is written.
  std::vector<std::string> package_folders = ListPackageFolders(repository_folder);

  console::LocalTime now = console::Os().locale.GetLocalTime();
  WriteCatalogHead(repository_folder, CatalogTimeStamp(locale, now),
                   catalog_comment);
  InfWorkspace workspace;
  for (const std::string& folder : package_folders) {
    std::string inf_path = InfPathOf(folder);
    if (inf_path.empty()) continue;
    // The file actually present: on POSIX its name may differ in case.
    std::string found = console::Os().files.FindFile(inf_path);
    if (!found.empty()) ProcessInf(found, workspace);
  }
  WriteCatalogEnd();
}

}  // namespace infsurvey
