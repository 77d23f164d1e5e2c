// The whole run of infsurvey: arguments, folder scan, and for each package
// folder its INF read, judged and written into the catalogue.
#pragma once

namespace infsurvey {

// Writes the XML catalogue of the repository named by argument 1 to
// standard output, with argument 2 as its comment; each has a default
// for when it is missing or empty.
void CatalogRun();

}  // namespace infsurvey
