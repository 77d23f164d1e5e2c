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
  // The answers are never joined in full: only the stem is kept.
  manufacturer = console::Trim(manufacturer);
  model = console::Trim(model);
  if (manufacturer.empty() && model.empty()) return {};
  std::string id;
  id.reserve(kLongestStem + 4);
  id += manufacturer.substr(0, kLongestStem);
  id += model.substr(0, kLongestStem - id.size());
  std::replace(id.begin(), id.end(), ' ', '_');
  id += DeviceIdChecksum(manufacturer, model);
  return id;
}

void PromptLoop() {
  std::string manufacturer;
  std::string model;
  for (;;) {
    console::WritePrompt("MFG: ");
    console::ReadAnswerLine(&manufacturer);
    console::WritePrompt("MDL: ");
    console::ReadAnswerLine(&model);
    std::string device_id = DeviceId(manufacturer, model);
    if (device_id.empty()) return;
    console::WriteLine({"CID: ", device_id});
  }
}

}  // namespace pnpsum
