// The 16-bit checksum at the end of every device identifier.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pnpsum {

// Four upper-case hexadecimal digits of the nibble-table CRC of a text.
// The tables are those of the reflected polynomial 0xA001 except entry 15
// of the high table, so this is not CRC-16/ARC and no library routine can
// stand in for it.
std::string DeviceIdChecksum(std::string_view text);

// The same in steps: the checksum register after `text`, starting from
// `crc` (0 for a new text). A text taken in parts gives the register of
// the whole.
std::uint16_t DeviceIdChecksumAfter(std::uint16_t crc, std::string_view text);
// The register's four digits, into `digits[0..3]`.
void DeviceIdChecksumDigits(std::uint16_t crc, char* digits);

}  // namespace pnpsum
