#include "pnpsum/device_id_checksum.h"

#include <array>
#include <cstdint>

namespace pnpsum {
namespace {

constexpr std::uint16_t kNibbleTableLow[16] = {
    0x0000, 0xC0C1, 0xC181, 0x0140, 0xC301, 0x03C0, 0x0280, 0xC241,
    0xC601, 0x06C0, 0x0780, 0xC741, 0x0500, 0xC5C1, 0xC481, 0x0440};

// Entry 15 is 0x4600, not the 0x4400 of the polynomial: identifiers
// already issued depend on it.
constexpr std::uint16_t kNibbleTableHigh[16] = {
    0x0000, 0xCC01, 0xD801, 0x1400, 0xF001, 0x3C00, 0x2800, 0xE401,
    0xA001, 0x6C00, 0x7800, 0xB401, 0x5000, 0x9C01, 0x8801, 0x4600};

// Both nibble lookups of one byte step folded into one table, so the loop
// does one load per byte.
constexpr std::array<std::uint16_t, 256> kByteTable = [] {
  std::array<std::uint16_t, 256> table{};
  for (unsigned i = 0; i < 256; ++i)
    table[i] = kNibbleTableLow[i & 0x0F] ^ kNibbleTableHigh[i >> 4];
  return table;
}();

std::uint16_t Update(std::uint16_t crc, std::string_view text) {
  for (char c : text)
    crc = kByteTable[(static_cast<unsigned char>(c) ^ crc) & 0xFF] ^
          (crc >> 8);
  return crc;
}

}  // namespace

std::string DeviceIdChecksum(std::string_view text, std::string_view more) {
  std::uint16_t crc = Update(Update(0, text), more);
  static const char kDigits[] = "0123456789ABCDEF";
  return {kDigits[crc >> 12], kDigits[(crc >> 8) & 0xF],
          kDigits[(crc >> 4) & 0xF], kDigits[crc & 0xF]};
}

}  // namespace pnpsum
