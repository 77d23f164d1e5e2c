// What an INF gives the catalogue: whether it installs printers, and the
// manufacturer and models its first [Manufacturer] entry names.
#pragma once

#include <string>
#include <string_view>

#include "infsurvey/inf_section_store.h"

namespace infsurvey {

// The first [Manufacturer] entry of a printer INF and its models. The
// name and the models are views into the section store they were read
// from, valid until it is loaded again.
struct ManufacturerModels {
  std::string_view name;       // name part of the first [Manufacturer] entry
  std::string models_section;  // the section its value names
  EntryList models;            // that section's entries; none when missing
  EntryList manufacturers = {};  // the [Manufacturer] entries, kept for reuse
};

// The models section that a manufacturer value names: its text before the
// first comma and the first decoration after it, each trimmed, joined by a
// dot ("Acme, NTx86, NTamd64" gives "Acme.NTx86"). False without a comma.
bool ModelsSectionName(std::string_view value, std::string* name);

// True for a printer INF ([Version] Class is "printer" in any letter case)
// whose first [Manufacturer] entry names a models section; only that entry
// and its first decoration count. Fills `found` anew, keeping its storage.
bool FindManufacturerModels(InfSectionStore& store, ManufacturerModels* found);

}  // namespace infsurvey
