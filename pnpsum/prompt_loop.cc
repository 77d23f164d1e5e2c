#include "pnpsum/prompt_loop.h"

#include <algorithm>

#include "console/ascii_text.h"
#include "console/statements.h"
#include "pnpsum/device_id_checksum.h"

namespace pnpsum {
namespace {
constexpr std::size_t kLongestStem = 20;
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
    console::WritePrompt("MFG: ");
    std::string manufacturer = console::ReadAnswerLine();
    console::WritePrompt("MDL: ");
    std::string model = console::ReadAnswerLine();
    std::string device_id = DeviceId(manufacturer, model);
    if (device_id.empty()) return;
    console::WriteLine({"CID: ", device_id});
  }
}

}  // namespace pnpsum
