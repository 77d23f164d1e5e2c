#include "infsurvey/catalog_writer.h"

#include "console/statements.h"
#include "infsurvey/xml_text.h"

namespace infsurvey {

using console::WriteLine;

void WriteCatalogHead(const std::string& location, const std::string& time,
                      const std::string& comment) {
  WriteLine({"<?xml version=\"1.0\" encoding=\"utf-8\"?>"});
  WriteLine({"<?xml-stylesheet href=\"gridpane.xsl\" type=\"text/xsl\"?>"});
  WriteLine({"<drivers"});
  WriteLine({" location=", XmlQuoteAttr(location)});
  WriteLine({" time=\"", XmlDoubleQuotedValue(time), "\" >"});
  WriteLine({"  <comment>"});
  WriteLine({XmlEscapeText(comment)});
  WriteLine({"  </comment>"});
}

void WriteManufacturerElement(const ManufacturerModels& found,
                              const std::string& inf_path) {
  WriteLine({"  <manufacturer name=", XmlQuoteAttr(found.name),
             " filename=", XmlQuoteAttr(inf_path), " >"});
  for (std::size_t i = 0; i < found.models.size(); ++i) {
    WriteLine({"    <driver name=", XmlQuoteAttr(EntryName(found.models, i)),
               " >"});
    WriteLine({"       ", XmlEscapeText(EntryValue(found.models, i))});
    WriteLine({"    </driver>"});
  }
  WriteLine({"  </manufacturer>"});
}

void WriteCatalogEnd() { WriteLine({"</drivers>"}); }

}  // namespace infsurvey
