// The cleaned lines of one INF file, as the line reader hands them to the
// section store.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace infsurvey {

// Only the first 60 meaningful lines of an INF are ever read.
constexpr std::size_t kMaxInfLines = 60;

// In file order, at most kMaxInfLines texts; each non-empty, trimmed, not
// beginning with ";", and made only of codes 32 to 127.
using InfLineList = std::vector<std::string>;

}  // namespace infsurvey
