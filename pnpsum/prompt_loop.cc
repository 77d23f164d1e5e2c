#include "pnpsum/prompt_loop.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#include "console/ascii_text.h"
#include "console/statements.h"
#include "pnpsum/device_id_checksum.h"

namespace pnpsum {
namespace {

constexpr std::size_t kLongestStem = 20;
constexpr std::size_t kChecksumDigits = 4;

// An identifier built in place, without a string of its own.
struct IdText {
  char bytes[kLongestStem + kChecksumDigits] = {};
  std::size_t size = 0;
  std::string_view View() const { return {bytes, size}; }
};

// The eight bytes of `eight` with their blanks made underscores. XOR with
// blanks makes each blank a zero byte; adding 0x7F to the low seven bits
// of a byte sets its high bit unless all eight are zero, exactly (nothing
// carries between bytes); blank XOR underscore is 0x7F.
inline std::uint64_t Underscored(std::uint64_t eight) {
  constexpr std::uint64_t kEach = 0x0101010101010101;
  std::uint64_t x = eight ^ kEach * ' ';
  std::uint64_t low7 = kEach * 0x7F;
  std::uint64_t zero = ~(((x & low7) + low7) | x | low7);
  return eight ^ (zero >> 7) * ('_' ^ ' ');
}

// Copies `size` bytes, at most 24, with blanks made underscores on the
// way, in registers: nothing is read back from the identifier being built,
// since a load that spans several fresh stores waits until they all land.
// Words may overlap, as in CopyShort.
inline void CopyUnderscored(char* to, const char* from, std::size_t size) {
  if constexpr (std::endian::native == std::endian::little) {
    auto word = [&](std::size_t at, std::size_t width) {
      std::uint64_t bytes = 0;
      std::memcpy(&bytes, from + at, width);
      bytes = Underscored(bytes);
      std::memcpy(to + at, &bytes, width);  // the low bytes
    };
    if (size >= 8) {
      word(0, 8);
      if (size > 16) word(8, 8);
      word(size - 8, 8);
      return;
    }
    if (size >= 4) {
      word(0, 4);
      word(size - 4, 4);
      return;
    }
  }
  for (std::size_t at = 0; at < size; ++at)
    to[at] = from[at] == ' ' ? '_' : from[at];
}

// The identifier for a manufacturer already trimmed, whose checksum
// register `crc` is already taken; empty when both answers are.
IdText DeviceIdAfter(std::string_view manufacturer, std::uint16_t crc,
                     std::string_view model) {
  model = console::Trim(model);
  IdText id;
  if (manufacturer.empty() && model.empty()) return id;
  // The answers are never joined in full: only the stem is kept.
  std::size_t length = std::min(manufacturer.size(), kLongestStem);
  CopyUnderscored(id.bytes, manufacturer.data(), length);
  std::size_t more = std::min(model.size(), kLongestStem - length);
  CopyUnderscored(id.bytes + length, model.data(), more);
  length += more;
  DeviceIdChecksumDigits(DeviceIdChecksumAfter(crc, model), id.bytes + length);
  id.size = length + kChecksumDigits;
  return id;
}

}  // namespace

void DeviceId(std::string_view manufacturer, std::string_view model,
              std::string* id) {
  manufacturer = console::Trim(manufacturer);
  IdText text = DeviceIdAfter(
      manufacturer, DeviceIdChecksumAfter(0, manufacturer), model);
  id->assign(text.View());
}

void PromptLoop() {
  std::string manufacturer;
  std::string model;
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
    IdText id = DeviceIdAfter(maker, crc, model);
    if (id.size == 0) return;
    console::WriteLine({"CID: ", id.View()});
  }
}

}  // namespace pnpsum
