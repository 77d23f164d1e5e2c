#include "infsurvey/catalog_writer.h"

#include "console/statements.h"
#include "infsurvey/xml_text.h"

namespace infsurvey {

using console::EndLine;
using console::WriteLine;
using console::WriteText;

void WriteCatalogHead(std::string_view location, std::string_view time,
                      std::string_view comment) {
  console::TextStream& out = console::StdOut();
  WriteLine({"<?xml version=\"1.0\" encoding=\"utf-8\"?>"});
  WriteLine({"<?xml-stylesheet href=\"gridpane.xsl\" type=\"text/xsl\"?>"});
  WriteLine({"<drivers"});
  WriteText(out, " location=");
  XmlQuoteAttr(out, location);
  EndLine();
  WriteText(out, " time=");
  XmlQuoteUtf8Attr(out, time);
  WriteText(out, " >");
  EndLine();
  WriteLine({"  <comment>"});
  XmlEscapeText(out, comment);
  EndLine();
  WriteLine({"  </comment>"});
}

void WriteManufacturerElement(const ManufacturerModels& found,
                              std::string_view inf_path) {
  console::TextStream& out = console::StdOut();
  WriteText(out, "  <manufacturer name=");
  XmlQuoteAttr(out, found.name);
  WriteText(out, " filename=");
  XmlQuoteAttr(out, inf_path);
  WriteText(out, " >");
  EndLine();
  for (std::string_view model : found.models) {
    WriteText(out, "    <driver name=");
    XmlQuoteAttr(out, EntryName(model));
    WriteText(out, " >");
    EndLine();
    WriteText(out, "       ");
    XmlEscapeText(out, EntryValue(model));
    EndLine();
    WriteLine({"    </driver>"});
  }
  WriteLine({"  </manufacturer>"});
}

void WriteCatalogEnd() { WriteLine({"</drivers>"}); }

}  // namespace infsurvey
