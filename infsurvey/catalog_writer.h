// The catalogue's text, line by line: every line and every XML literal of
// the catalogue is written here, each value through xml_text.h, straight
// into standard output's buffer.
#pragma once

#include <string_view>

#include "infsurvey/manufacturer_models.h"

namespace infsurvey {

// The XML declaration, the stylesheet, the root element with the surveyed
// folder and the time (already UTF-8), and the comment element.
void WriteCatalogHead(std::string_view location, std::string_view time,
                      std::string_view comment);

// One manufacturer element for a printer INF, with a driver element per
// model entry.
void WriteManufacturerElement(const ManufacturerModels& found,
                              std::string_view inf_path);

// The root element's end.
void WriteCatalogEnd();

}  // namespace infsurvey
