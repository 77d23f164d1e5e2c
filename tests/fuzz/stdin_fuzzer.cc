// Standard input through ReadLineText and SkipLine, read in pieces of
// sizes drawn from the input, against a model of the documented rules.
//
// Input layout: byte 0 gives the count k (1-4) of read sizes, the next k
// bytes the sizes (1-130; the 128-byte buffer caps them), the rest is
// standard input.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "console/io_status.h"
#include "console/text_stream.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

constexpr char kEndOfInput = 26;

// Lines as the documented rules give them: a line is the bytes up to LF,
// without CR; a 26 ends the line and is used up, and SkipLine, which goes
// past the next LF, stops before a 26 as at the end of input. A 26 that a
// fresh read hands over first is the end of input for the line too, and
// stays for the next line, which is then empty.
class LineModel {
 public:
  LineModel(std::string_view input, const std::vector<std::uint32_t>& read_sizes)
      : input_(input) {
    std::size_t at = 0;
    for (std::size_t k = 0; at < input.size(); ++k) {
      read_starts_.insert(at);
      at += std::min<std::size_t>(console::kStreamBufferSize,
                                  read_sizes[k % read_sizes.size()]);
    }
  }

  bool AtEnd() const { return at_ == input_.size(); }

  std::string ReadLine() {
    std::string line;
    for (; at_ < input_.size(); ++at_) {
      char c = input_[at_];
      if (c == '\n') break;
      if (c == kEndOfInput) {
        if (read_starts_.count(at_) != 0 && !waiting_end_) {
          waiting_end_ = true;
        } else {
          ++at_;
          waiting_end_ = false;
        }
        return line;
      }
      if (c != '\r') line += c;
    }
    return line;
  }

  void SkipLine() {
    for (; at_ < input_.size(); ++at_) {
      char c = input_[at_];
      if (c == kEndOfInput) {
        waiting_end_ = true;
        return;
      }
      if (c == '\n') {
        ++at_;
        return;
      }
    }
  }

 private:
  std::string_view input_;
  std::set<std::size_t> read_starts_;
  std::size_t at_ = 0;
  bool waiting_end_ = false;  // the 26 at at_ has been met and not used up
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::size_t count = 1 + data[0] % 4;
  if (size < 1 + count) return 0;
  std::vector<std::uint32_t> read_sizes;
  for (std::size_t i = 1; i <= count; ++i) read_sizes.push_back(1 + data[i] % 130);
  std::string input(reinterpret_cast<const char*>(data) + 1 + count, size - 1 - count);

  fuzz::FreshConsole fresh;
  fresh.os.fs.stdin_bytes = input;
  fresh.os.fs.read_sizes = read_sizes;
  LineModel model(input, read_sizes);
  // Each line uses up at least one byte or a waiting 26, and the end is
  // read twice more to see it stays.
  std::size_t lines = 0, after_end = 0;
  std::string line;
  while (after_end < 2) {
    if (model.AtEnd()) ++after_end;
    std::string expected = model.ReadLine();
    model.SkipLine();
    console::ReadLineText(console::StdIn(), &line);
    console::SkipLine(console::StdIn());
    if (line != expected) {
      fuzz::Fail("line " + std::to_string(lines) + " of " + fuzz::Escaped(input) +
                 " is " + fuzz::Escaped(line) + ", expected " +
                 fuzz::Escaped(expected));
    }
    ++lines;
    fuzz::Require(lines <= 2 * input.size() + 3, "the reading ends");
  }
  fuzz::Require(console::IoStatus() == 0, "reading standard input sets no status");
  return 0;
}
