// The second half of ProcessInf: a printer INF's manufacturer element.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "infsurvey/inf_line_list.h"

namespace infsurvey {

// The models section that a manufacturer value names: its text before the
// first comma and the first decoration after it, each trimmed, joined by a
// dot ("Acme, NTx86, NTamd64" gives "Acme.NTx86"). Nothing without a comma.
std::optional<std::string> ModelsSectionName(std::string_view value);

// Writes one manufacturer element for a printer INF, with one driver
// element per entry of the models section of its first manufacturer
// entry; writes nothing for any other INF.
void WriteManufacturerElement(InfLineList lines, const std::string& inf_path);

// Reads the INF at `inf_path` and writes its element, or nothing.
void ProcessInf(const std::string& inf_path);

}  // namespace infsurvey
