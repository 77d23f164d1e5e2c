// Command-line text through CommandLineArgument, against a second, plain
// reading of the splitting rules.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "console/command_line.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

constexpr int kArguments = 4;

// The tokens of `line` (no NUL in it), the program name first.
class Splitter {
 public:
  explicit Splitter(std::string_view line) : line_(line) {}

  std::string NextToken() {
    // Blanks, control characters and a pair of double quotes come before
    // a token and are no part of it.
    for (;;) {
      if (i_ < line_.size() && static_cast<unsigned char>(line_[i_]) <= 32) {
        ++i_;
      } else if (line_.substr(i_, 2) == "\"\"") {
        i_ += 2;
      } else {
        break;
      }
    }
    std::string token;
    bool quoted = false;  // a quoted stretch takes blanks too
    for (; i_ < line_.size(); ++i_) {
      char c = line_[i_];
      if (!quoted && static_cast<unsigned char>(c) <= 32) break;
      if (c == '"') {
        quoted = !quoted;
      } else {
        token += c;
      }
    }
    return token;
  }

 private:
  std::string_view line_;
  std::size_t i_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The splitting walks characters through the platform: one byte each.
  static fuzz::FreshConsole fake;
  std::string command_line(reinterpret_cast<const char*>(data), size);
  // The runtime reads the line up to its NUL.
  Splitter splitter(std::string_view(command_line.c_str()));
  std::string token = splitter.NextToken();  // the program name
  for (int n = 1; n <= kArguments; ++n) {
    // After an empty token every later one is empty.
    if (!token.empty()) token = splitter.NextToken();
    std::string argument = console::CommandLineArgument(command_line.c_str(), n);
    if (argument != token) {
      fuzz::Fail("argument " + std::to_string(n) + " of " +
                 fuzz::Escaped(command_line) + " is " + fuzz::Escaped(argument) +
                 ", expected " + fuzz::Escaped(token));
    }
  }
  return 0;
}
