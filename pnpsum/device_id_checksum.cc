#include "pnpsum/device_id_checksum.h"

#include <array>
#include <cstdint>
#include <cstring>

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

// A step with the byte b and the register's low byte L and high byte H
// sets the register to (H << 8 | L) = T[L ^ b] ^ H, where T[i] is the XOR
// of the two nibble tables' entries for i. T is kept as its low and high
// bytes, made by the compiler.
constexpr std::array<std::uint8_t, 256> TableBytes(int shift) {
  std::array<std::uint8_t, 256> bytes{};
  for (unsigned i = 0; i < 256; ++i) {
    unsigned entry = kNibbleTableLow[i & 0x0F] ^ kNibbleTableHigh[i >> 4];
    bytes[i] = static_cast<std::uint8_t>(entry >> shift);
  }
  return bytes;
}
constexpr std::array<std::uint8_t, 256> kLowBytes = TableBytes(0);
constexpr std::array<std::uint8_t, 256> kHighBytes = TableBytes(8);

}  // namespace

// Each step waits for the table load of the step before. The next index,
// low byte of T[i] ^ H ^ next byte, gets its H ^ next byte (`ahead`)
// ready before that load returns, so only the load and one XOR lie on the
// chain, where the plain form has three operations after the load.
std::uint16_t DeviceIdChecksumAfter(std::uint16_t crc, std::string_view text) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  std::size_t size = text.size();
  if (size == 0) return crc;
  unsigned index = (crc & 0xFF) ^ bytes[0];
  unsigned ahead = crc >> 8;
  if (size > 1) ahead ^= bytes[1];
  for (std::size_t next = 2; next < size; ++next) {
    unsigned low = kLowBytes[index] ^ ahead;
    ahead = kHighBytes[index] ^ bytes[next];
    index = low;
  }
  if (size > 1) {
    unsigned low = kLowBytes[index] ^ ahead;
    ahead = kHighBytes[index];
    index = low;
  }
  return static_cast<std::uint16_t>(kHighBytes[index] << 8 |
                                    (kLowBytes[index] ^ ahead));
}

// The two digits of each byte, so that four digits are two loads.
constexpr std::array<std::array<char, 2>, 256> kDigitPairs = [] {
  constexpr char kDigits[] = "0123456789ABCDEF";
  std::array<std::array<char, 2>, 256> pairs{};
  for (unsigned i = 0; i < 256; ++i) pairs[i] = {kDigits[i >> 4], kDigits[i & 0xF]};
  return pairs;
}();

void DeviceIdChecksumDigits(std::uint16_t crc, char* digits) {
  std::memcpy(digits, kDigitPairs[crc >> 8].data(), 2);
  std::memcpy(digits + 2, kDigitPairs[crc & 0xFF].data(), 2);
}

std::string DeviceIdChecksum(std::string_view text) {
  std::string digits(4, '0');
  DeviceIdChecksumDigits(DeviceIdChecksumAfter(0, text), digits.data());
  return digits;
}

}  // namespace pnpsum
