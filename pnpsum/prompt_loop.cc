#include "pnpsum/prompt_loop.h"

#include "console/ascii_text.h"
#include "console/statements.h"
#include "pnpsum/device_id_checksum.h"

namespace pnpsum {
namespace {
constexpr std::size_t kLongestStem = 20;
}  // namespace

void DeviceId(std::string_view manufacturer, std::string_view model,
              std::string* id) {
  // The answers are never joined in full: only the stem is kept.
  manufacturer = console::Trim(manufacturer);
  model = console::Trim(model);
  id->clear();
  if (manufacturer.empty() && model.empty()) return;
  char stem[kLongestStem];
  std::size_t length = 0;
  for (std::string_view part : {manufacturer, model}) {
    for (char c : part.substr(0, kLongestStem - length))
      stem[length++] = c == ' ' ? '_' : c;
  }
  id->assign(stem, length);
  *id += DeviceIdChecksum(manufacturer, model);
}

void PromptLoop() {
  std::string manufacturer;
  std::string model;
  std::string device_id;  // the three keep their storage from cycle to cycle
  for (;;) {
    console::WritePrompt("MFG: ");
    console::ReadAnswerLine(&manufacturer);
    console::WritePrompt("MDL: ");
    console::ReadAnswerLine(&model);
    DeviceId(manufacturer, model, &device_id);
    if (device_id.empty()) return;
    console::WriteLine({"CID: ", device_id});
  }
}

}  // namespace pnpsum
