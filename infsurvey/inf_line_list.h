// The cleaned lines of one INF file, as the line reader hands them to the
// section store.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "console/ascii_text.h"

namespace infsurvey {

// Only the first 60 meaningful lines of an INF are ever read.
constexpr std::size_t kMaxInfLines = 60;

// In file order, at most kMaxInfLines texts; each non-empty, trimmed, not
// beginning with ";", and made only of codes 32 to 127. The lines' bytes
// lie one after another in one text, so a list read again for the next
// INF keeps its storage.
class InfLineList {
 public:
  std::size_t size() const { return lines_.size(); }
  bool empty() const { return lines_.empty(); }
  std::string_view operator[](std::size_t i) const {
    return std::string_view(text_).substr(lines_[i].first, lines_[i].length);
  }
  void clear() {
    text_.clear();
    lines_.clear();
    pending_ = 0;
  }

  // The line being gathered follows the last line.
  void AppendPending(const char* bytes, std::size_t count) {
    text_.append(bytes, count);
  }
  // The pending text, trimmed, becomes a line unless it is empty or a
  // comment (";" first); either way the next pending line starts empty.
  // This is the one place that rule is kept: every list is made this way.
  void EndPendingLine() {
    std::string_view line =
        console::Trim(std::string_view(text_).substr(pending_));
    if (!line.empty() && line.front() != ';') {
      std::size_t first = static_cast<std::size_t>(line.data() - text_.data());
      lines_.push_back({static_cast<std::uint32_t>(first),
                        static_cast<std::uint32_t>(line.size())});
      pending_ = first + line.size();
    }
    text_.resize(pending_);
  }

 private:
  struct Line {
    std::uint32_t first, length;
  };
  std::string text_;
  std::vector<Line> lines_;
  std::size_t pending_ = 0;  // where the pending line starts in text_
};

}  // namespace infsurvey
