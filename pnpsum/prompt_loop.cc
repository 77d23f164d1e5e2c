#include "pnpsum/prompt_loop.h"

#include <algorithm>

#include "console/ascii_text.h"
#include "console/io_status.h"
#include "console/text_stream.h"
#include "pnpsum/device_id_checksum.h"

namespace pnpsum {
namespace {

constexpr std::size_t kLongestStem = 20;

using console::IoCheck;
using console::StdIn;
using console::StdOut;

void WritePrompt(std::string_view prompt) {
  console::WriteText(StdOut(), prompt);
  console::EndStatement(StdOut());
  IoCheck();
}

std::string ReadAnswer() {
  std::string answer = console::ReadLineText(StdIn());
  console::SkipLine(StdIn());
  IoCheck();
  return answer;
}

}  // namespace

std::string DeviceId(std::string_view manufacturer, std::string_view model) {
  std::string joined(console::Trim(manufacturer));
  joined += console::Trim(model);
  if (joined.empty()) return joined;
  std::string checksum = DeviceIdChecksum(joined);
  if (joined.size() > kLongestStem) joined.resize(kLongestStem);
  std::replace(joined.begin(), joined.end(), ' ', '_');
  return joined + checksum;
}

void PromptLoop() {
  for (;;) {
    WritePrompt("MFG: ");
    std::string manufacturer = ReadAnswer();
    WritePrompt("MDL: ");
    std::string model = ReadAnswer();
    std::string device_id = DeviceId(manufacturer, model);
    if (device_id.empty()) return;
    console::WriteText(StdOut(), "CID: ");
    console::WriteText(StdOut(), device_id);
    console::WriteLineEnd(StdOut());
    IoCheck();
  }
}

}  // namespace pnpsum
