// The whole run of infsurvey: arguments, folder scan, and the catalogue.
#pragma once

namespace infsurvey {

// Used when the first argument is missing or empty; verbatim as a prefix.
inline constexpr char kDefaultRepositoryFolder[] =
    "C:\\Windows\\System32\\DriverStore\\FileRepository\\";
// Used when the second argument is missing or empty.
inline constexpr char kDefaultCatalogComment[] =
    "Windows 7 64bit AMD pre-installed drivers";

// Writes the XML catalogue of the repository named by argument 1 to
// standard output, with argument 2 as its comment.
void CatalogRun();

}  // namespace infsurvey
