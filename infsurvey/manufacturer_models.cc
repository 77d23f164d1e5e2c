#include "infsurvey/manufacturer_models.h"

#include "console/ascii_text.h"

namespace infsurvey {

using console::Trim;

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
  // An INF without a class is no printer INF.
  std::optional<std::string_view> inf_class = store.ReadValue("Version", "Class");
  if (!inf_class || !console::EqualsIgnoringCase(*inf_class, "printer"))
    return false;
  // Only the first manufacturer entry counts.
  store.ReadSectionEntries("Manufacturer", &found->manufacturers);
  if (found->manufacturers.empty()) return false;
  std::string_view first = found->manufacturers[0];
  if (!ModelsSectionName(EntryValue(first), &found->models_section)) return false;
  found->name = EntryName(first);
  store.ReadSectionEntries(found->models_section, &found->models);
  return true;
}

}  // namespace infsurvey
