#include "infsurvey/manufacturer_models.h"

#include "console/ascii_text.h"

namespace infsurvey {

using console::Trim;

// Blanks around the comma are not part of either name: Windows reads
// "Acme, NTx86" as "Acme.NTx86" too.
std::optional<std::string> ModelsSectionName(std::string_view value) {
  std::size_t first = value.find(',');
  if (first == std::string_view::npos) return std::nullopt;
  std::string_view decorations = value.substr(first + 1);
  std::string name(Trim(value.substr(0, first)));
  name += '.';
  name += Trim(decorations.substr(0, decorations.find(',')));
  return name;
}

ManufacturerModels FindManufacturerModels(InfSectionStore& store) {
  ManufacturerModels found;
  std::string inf_class = ReadValue(store, "Version", "Class", "notaprinter");
  if (console::ToLowerAscii(inf_class) != "printer") return found;
  found.kind = InfKind::kNoManufacturer;
  EntryList manufacturers;
  ReadSectionEntries(store, "Manufacturer", &manufacturers);
  if (manufacturers.empty()) return found;
  std::optional<std::string> models_section =
      ModelsSectionName(EntryValue(manufacturers, 0));
  if (!models_section) return found;
  found.kind = InfKind::kPrinter;
  found.name = EntryName(manufacturers, 0);
  ReadSectionEntries(store, *models_section, &found.models);
  return found;
}

}  // namespace infsurvey
