// The catalogue's text, line by line: every line and every XML literal of
// the catalogue is written here, each value through xml_text.h.
#pragma once

#include <string>

#include "infsurvey/manufacturer_models.h"

namespace infsurvey {

// The XML declaration, the stylesheet, the root element with the surveyed
// folder and the time (already UTF-8), and the comment element.
void WriteCatalogHead(const std::string& location, const std::string& time,
                      const std::string& comment);

// One manufacturer element for a printer INF, with a driver element per
// model entry.
void WriteManufacturerElement(const ManufacturerModels& found,
                              const std::string& inf_path);

// The root element's end.
void WriteCatalogEnd();

}  // namespace infsurvey
