// The 16-bit checksum at the end of every device identifier.
#pragma once

#include <string>
#include <string_view>

namespace pnpsum {

// Four upper-case hexadecimal digits of the nibble-table CRC of a text.
// The tables are those of the reflected polynomial 0xA001 except entry 15
// of the high table, so this is not CRC-16/ARC and no library routine can
// stand in for it.
// `text` followed by `more` is taken as one text, without joining them.
std::string DeviceIdChecksum(std::string_view text, std::string_view more = {});

}  // namespace pnpsum
