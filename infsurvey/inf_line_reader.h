// Reading an INF file into its cleaned lines: the first half of ProcessInf.
#pragma once

#include <cstdint>
#include <string>

#include "infsurvey/inf_line_list.h"

namespace infsurvey {

// The rule for one character read: CR and LF end the pending line, codes
// 32 to 127 join it, every other code is dropped.
void ReadLineFilter(std::uint16_t code, std::string* pending,
                    InfLineList* lines);

// Trims the pending line and appends it unless it is empty or a comment;
// then empties it.
void EndPendingLine(std::string* pending, InfLineList* lines);

// The first kMaxInfLines meaningful lines of the file at `inf_path`; the
// rest of the file is never read. A file that cannot be opened or read
// ends the run through the I/O check.
InfLineList ReadInfLines(const std::string& inf_path);

}  // namespace infsurvey
