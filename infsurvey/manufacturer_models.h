// What an INF gives the catalogue: whether it installs printers, and the
// manufacturer and models its first [Manufacturer] entry names.
#pragma once

#include <string>
#include <string_view>

#include "infsurvey/inf_section_store.h"

namespace infsurvey {

enum class InfKind {
  kNotAPrinter,     // [Version] Class is not "printer" in any letter case
  kNoManufacturer,  // no [Manufacturer] entry, or one naming no section
  kPrinter,
};

// Its texts lie in the store it was found in.
struct ManufacturerModels {
  InfKind kind = InfKind::kNotAPrinter;
  std::string_view name;       // name part of the first [Manufacturer] entry
  std::string models_section;  // the section it names
  EntryList models;            // that section's entries; none when missing
};

// The models section that a manufacturer value names: its text before the
// first comma and the first decoration after it, each trimmed, joined by a
// dot ("Acme, NTx86, NTamd64" gives "Acme.NTx86"). False without a comma.
bool ModelsSectionName(std::string_view value, std::string* name);

// Only the first manufacturer entry and its first decoration count. Fills
// `found` anew, keeping its storage.
void FindManufacturerModels(InfSectionStore& store, ManufacturerModels* found);

}  // namespace infsurvey
