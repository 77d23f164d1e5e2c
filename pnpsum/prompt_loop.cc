#include "pnpsum/prompt_loop.h"

#include <cstdint>

#include "console/ascii_text.h"
#include "console/statements.h"
#include "pnpsum/device_id_checksum.h"

namespace pnpsum {
namespace {

constexpr std::size_t kLongestStem = 20;
constexpr std::size_t kChecksumDigits = 4;

// DeviceId for a manufacturer already trimmed, whose checksum register
// `crc` is already taken.
void DeviceIdAfter(std::string_view manufacturer, std::uint16_t crc,
                   std::string_view model, std::string* id) {
  model = console::Trim(model);
  id->clear();
  if (manufacturer.empty() && model.empty()) return;
  // The answers are never joined in full: only the stem is kept.
  char text[kLongestStem + kChecksumDigits];
  std::size_t length = 0;
  for (std::string_view part : {manufacturer, model}) {
    for (char c : part.substr(0, kLongestStem - length))
      text[length++] = c == ' ' ? '_' : c;
  }
  DeviceIdChecksumDigits(DeviceIdChecksumAfter(crc, model), text + length);
  id->assign(text, length + kChecksumDigits);
}

}  // namespace

void DeviceId(std::string_view manufacturer, std::string_view model,
              std::string* id) {
  manufacturer = console::Trim(manufacturer);
  DeviceIdAfter(manufacturer, DeviceIdChecksumAfter(0, manufacturer), model,
                id);
}

void PromptLoop() {
  std::string manufacturer;
  std::string model;
  std::string device_id;  // the three keep their storage from cycle to cycle
  for (;;) {
    console::WritePrompt("MFG: ");
    console::ReadAnswerLine(&manufacturer);
    // The manufacturer's part of the checksum is taken before the model is
    // asked for: its chain of dependent loads then runs beside the next
    // statements instead of after them.
    std::string_view maker = console::Trim(manufacturer);
    std::uint16_t crc = DeviceIdChecksumAfter(0, maker);
    console::WritePrompt("MDL: ");
    console::ReadAnswerLine(&model);
    DeviceIdAfter(maker, crc, model, &device_id);
    if (device_id.empty()) return;
    console::WriteLine({"CID: ", device_id});
  }
}

}  // namespace pnpsum
