// The whole run of infsurvey: arguments, folder scan, and for each package
// folder its INF read, judged and written into the catalogue.
#pragma once

#include <string>

#include "infsurvey/inf_line_list.h"
#include "infsurvey/inf_section_store.h"
#include "infsurvey/manufacturer_models.h"

namespace infsurvey {

// Used when the first argument is missing or empty; verbatim as a prefix.
inline constexpr char kDefaultRepositoryFolder[] =
    "C:\\Windows\\System32\\DriverStore\\FileRepository\\";
// Used when the second argument is missing or empty.
inline constexpr char kDefaultCatalogComment[] =
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
void ProcessInf(const std::string& inf_path, InfWorkspace& workspace);

// Writes the XML catalogue of the repository named by argument 1 to
// standard output, with argument 2 as its comment.
void CatalogRun();

}  // namespace infsurvey
