// Reading an INF file into its cleaned lines: the first half of ProcessInf.
#pragma once

#include <string>

#include "infsurvey/inf_line_list.h"

namespace infsurvey {

// Replaces `lines` with the first kMaxInfLines meaningful lines of the
// file at `inf_path`: CR and LF end lines, characters outside codes 32 to
// 127 vanish, blank and comment lines are skipped. The rest of the file is
// never read. A file that cannot be opened or read ends the run through
// the I/O check; text the code page cannot decode does not.
void ReadInfLines(const std::string& inf_path, InfLineList* lines);

}  // namespace infsurvey
