// INF line lists for tests, made the way the line reader makes them, so
// that they keep its rule (trimmed, no blank or comment line).
#pragma once

#include <string>
#include <vector>

#include "infsurvey/inf_line_list.h"

inline infsurvey::InfLineList InfLines(const std::vector<std::string>& texts) {
  infsurvey::InfLineList lines;
  for (const std::string& text : texts) {
    lines.AppendPending(text.data(), text.size());
    lines.EndPendingLine();
  }
  return lines;
}
