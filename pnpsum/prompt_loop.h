// The question-and-answer loop of pnpsum.
#pragma once

#include <string>
#include <string_view>

namespace pnpsum {

// The identifier of one pair of answers, into `id`, whose storage is used
// again: trimmed manufacturer and model joined, cut to 20 bytes with
// blanks as underscores, then the checksum of the whole uncut join. Empty
// when both answers are empty after trimming.
void DeviceId(std::string_view manufacturer, std::string_view model,
              std::string* id);

// Asks "MFG: " and "MDL: " and prints a "CID: " line until both answers
// are empty.
void PromptLoop();

}  // namespace pnpsum
