#include "infsurvey/inf_line_reader.h"

#include <cstring>

#include "console/ascii_text.h"
#include "console/statements.h"

namespace infsurvey {
namespace {

// The rule for each character: CR and LF end the pending line, codes 32 to
// 127 join it, every other one is dropped. (A line feed ends a line as a
// carriage return does: INF files stored with LF line ends are as valid
// to Windows as CR LF ones.) The characters kept are gathered on the stack
// and join the pending line once per line end or block. Stops after the
// line that makes kMaxInfLines.
void FilterBlock(std::string_view block, InfLineList* lines) {
  char kept[console::kStreamBufferSize];  // a block is at most one buffer
  std::size_t count = 0;
  const char* next = block.data();
  const char* end = next + block.size();
  while (next != end) {
    // Most of an INF is printable ASCII, which goes over eight bytes at a
    // time; the rule below sees only the other bytes.
    if (end - next >= 8) {
      std::size_t printable = console::PrintablePrefix(next);
      std::memcpy(kept + count, next, 8);
      count += printable;
      next += printable;
      if (printable == 8) continue;
    }
    char c = *next++;
    if (static_cast<unsigned char>(c - 32) <= 127 - 32) {
      kept[count++] = c;
    } else if (c == '\r' || c == '\n') {
      lines->AppendPending(kept, count);
      count = 0;
      lines->EndPendingLine();
      if (lines->size() == kMaxInfLines) return;
    }
  }
  lines->AppendPending(kept, count);
}

}  // namespace

InfLineList::InfLineList(std::initializer_list<std::string_view> lines) {
  for (std::string_view line : lines) push_back(line);
}

void InfLineList::push_back(std::string_view line) {
  lines_.push_back({static_cast<std::uint32_t>(text_.size()),
                    static_cast<std::uint32_t>(line.size())});
  text_ += line;
  pending_ = text_.size();
}

void InfLineList::clear() {
  text_.clear();
  lines_.clear();
  pending_ = 0;
}

void InfLineList::EndPendingLine() {
  std::string_view line = console::Trim(std::string_view(text_).substr(pending_));
  if (!line.empty() && line.front() != ';') {
    std::size_t first = static_cast<std::size_t>(line.data() - text_.data());
    lines_.push_back({static_cast<std::uint32_t>(first),
                      static_cast<std::uint32_t>(line.size())});
    pending_ = first + line.size();
  }
  text_.resize(pending_);
}

bool operator==(const InfLineList& a, const InfLineList& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i]) return false;
  return true;
}

void ReadInfLines(const std::string& inf_path, InfLineList* lines) {
  lines->clear();
  console::TextStream file;
  console::OpenTextFile(file, inf_path);
  while (lines->size() < kMaxInfLines) {
    std::string_view block = console::ReadTextCharacters(file);
    if (block.empty()) break;
    FilterBlock(block, lines);
  }
  // The last line counts even without a line end.
  if (lines->size() < kMaxInfLines) lines->EndPendingLine();
  console::CloseTextFile(file);
}

}  // namespace infsurvey
