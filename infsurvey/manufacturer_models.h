// What an INF gives the catalogue: whether it installs printers, and the
// manufacturer and models its first [Manufacturer] entry names.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "infsurvey/inf_section_store.h"

namespace infsurvey {

enum class InfKind {
  kNotAPrinter,     // [Version] Class is not "printer" in any letter case
  kNoManufacturer,  // no [Manufacturer] entry, or one naming no section
  kPrinter,
};

struct ManufacturerModels {
  InfKind kind = InfKind::kNotAPrinter;
  std::string name;  // name part of the first [Manufacturer] entry
  EntryList models;  // entries of its models section; none when it is missing
};

// The models section that a manufacturer value names: its text before the
// first comma and the first decoration after it, each trimmed, joined by a
// dot ("Acme, NTx86, NTamd64" gives "Acme.NTx86"). Nothing without a comma.
std::optional<std::string> ModelsSectionName(std::string_view value);

// Only the first manufacturer entry and its first decoration count.
ManufacturerModels FindManufacturerModels(InfSectionStore& store);

}  // namespace infsurvey
