#include "infsurvey/manufacturer_element.h"

#include "console/ascii_text.h"
#include "console/statements.h"
#include "infsurvey/inf_line_reader.h"
#include "infsurvey/inf_section_store.h"
#include "infsurvey/xml_text.h"

namespace infsurvey {

using console::Trim;
using console::WriteLine;

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

void WriteManufacturerElement(InfLineList lines, const std::string& inf_path) {
  InfSectionStore store;
  LoadLines(store, std::move(lines));
  std::string inf_class = ReadValue(store, "Version", "Class", "notaprinter");
  if (console::ToLowerAscii(inf_class) != "printer") return;
  EntryList manufacturers;
  ReadSectionEntries(store, "Manufacturer", &manufacturers);
  if (manufacturers.empty()) return;
  // Only the first manufacturer and its first decoration are surveyed.
  std::optional<std::string> models_section =
      ModelsSectionName(EntryValue(manufacturers, 0));
  if (!models_section) return;
  EntryList models;
  ReadSectionEntries(store, *models_section, &models);

  WriteLine({"  <manufacturer name=", XmlQuoteAttr(EntryName(manufacturers, 0)),
             " filename=", XmlQuoteAttr(inf_path), " >"});
  for (std::size_t i = 0; i < models.size(); ++i) {
    WriteLine({"    <driver name=", XmlQuoteAttr(EntryName(models, i)), " >"});
    WriteLine({"       ", XmlEscapeText(EntryValue(models, i))});
    WriteLine({"    </driver>"});
  }
  WriteLine({"  </manufacturer>"});
}

void ProcessInf(const std::string& inf_path) {
  WriteManufacturerElement(ReadInfLines(inf_path), inf_path);
}

}  // namespace infsurvey
