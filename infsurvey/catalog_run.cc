#include "infsurvey/catalog_run.h"

#include <string>
#include <vector>

#include "console/arguments.h"
#include "console/platform.h"
#include "console/statements.h"
#include "infsurvey/folder_scan.h"
#include "infsurvey/manufacturer_element.h"
#include "infsurvey/time_stamp.h"
#include "infsurvey/xml_text.h"

namespace infsurvey {

using console::WriteLine;

void CatalogRun() {
  LocaleTexts locale = LoadLocaleTexts();
  std::string repository_folder = kDefaultRepositoryFolder;
  std::string catalog_comment = kDefaultCatalogComment;
  if (std::string folder = console::ArgumentText(1); !folder.empty())
    repository_folder = folder;
  if (std::string comment = console::ArgumentText(2); !comment.empty())
    catalog_comment = comment;

  // The list is complete before the first line is written.
  std::vector<std::string> package_folders = ListPackageFolders(repository_folder);

  WriteLine({"<?xml version=\"1.0\" encoding=\"utf-8\"?>"});
  WriteLine({"<?xml-stylesheet href=\"gridpane.xsl\" type=\"text/xsl\"?>"});
  WriteLine({"<drivers"});
  WriteLine({" location=", XmlQuoteAttr(repository_folder)});
  WriteLine({" time=\"",
             XmlDoubleQuotedValue(
                 CatalogTimeStamp(locale, console::Os().GetLocalTime())),
             "\" >"});
  WriteLine({"  <comment>"});
  WriteLine({XmlEscapeText(catalog_comment)});
  WriteLine({"  </comment>"});

  for (const std::string& folder : package_folders) {
    std::string inf_path = InfPathOf(folder);
    if (inf_path.empty()) continue;
    // The file actually present: on POSIX its name may differ in case.
    std::string found = console::Os().FindFile(inf_path);
    if (found.empty()) continue;
    ProcessInf(found);
  }
  WriteLine({"</drivers>"});
}

}  // namespace infsurvey
