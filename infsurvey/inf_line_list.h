// The cleaned lines of one INF file, as the line reader hands them to the
// section store.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace infsurvey {

// Only the first 60 meaningful lines of an INF are ever read.
constexpr std::size_t kMaxInfLines = 60;

// In file order, at most kMaxInfLines texts; each non-empty, trimmed, not
// beginning with ";", and made only of codes 32 to 127. The lines' bytes
// lie one after another in one text, so a list read again for the next
// INF keeps its storage.
class InfLineList {
 public:
  InfLineList() = default;
  // Lines taken as they stand, for lists made by hand.
  InfLineList(std::initializer_list<std::string_view> lines);
  void push_back(std::string_view line);

  std::size_t size() const { return lines_.size(); }
  bool empty() const { return lines_.empty(); }
  std::string_view operator[](std::size_t i) const {
    return std::string_view(text_).substr(lines_[i].first, lines_[i].length);
  }
  void clear();

  // The line being gathered follows the last line.
  void AppendPending(const char* bytes, std::size_t count) {
    text_.append(bytes, count);
  }
  // The pending text, trimmed, becomes a line unless it is empty or a
  // comment; either way the next pending line starts empty.
  void EndPendingLine();

 private:
  struct Line {
    std::uint32_t first, length;
  };
  std::string text_;
  std::vector<Line> lines_;
  std::size_t pending_ = 0;  // where the pending line starts in text_
};

bool operator==(const InfLineList& a, const InfLineList& b);

}  // namespace infsurvey
