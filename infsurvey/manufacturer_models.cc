#include "infsurvey/manufacturer_models.h"

#include "console/ascii_text.h"

namespace infsurvey {

using console::Trim;

namespace {
// The class an INF without one is read as: any text but "printer" would do.
constexpr std::string_view kNoClass = "notaprinter";
}  // namespace

// Blanks around the comma are not part of either name: Windows reads
// "Acme, NTx86" as "Acme.NTx86" too.
bool ModelsSectionName(std::string_view value, std::string* name) {
  std::size_t first = value.find(',');
  if (first == std::string_view::npos) return false;
  std::string_view decorations = value.substr(first + 1);
  name->assign(Trim(value.substr(0, first)));
  *name += '.';
  *name += Trim(decorations.substr(0, decorations.find(',')));
  return true;
}

bool FindManufacturerModels(InfSectionStore& store, ManufacturerModels* found) {
  found->name = {};
  found->models.clear();
  std::string_view inf_class = ReadValue(store, "Version", "Class", kNoClass);
  if (!console::EqualsIgnoringCase(inf_class, "printer")) return false;
  // Only the first manufacturer entry counts.
  ReadSectionEntries(store, "Manufacturer", &found->manufacturers);
  if (found->manufacturers.empty()) return false;
  std::string_view first = found->manufacturers[0];
  if (!ModelsSectionName(EntryValue(first), &found->models_section)) return false;
  found->name = EntryName(first);
  ReadSectionEntries(store, found->models_section, &found->models);
  return true;
}

}  // namespace infsurvey
