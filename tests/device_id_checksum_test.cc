#include "pnpsum/device_id_checksum.h"

#include <gtest/gtest.h>

namespace {

TEST(DeviceIdChecksum, CheckValues) {
  struct Case {
    std::string text, checksum;
  };
  const Case cases[] = {
      {"123456789", "593C"},
      {"abc", "9738"},
      {"A", "30C0"},
      {"AcmeLaser 200", "21C1"},
      {"Acme CorpLaser Printer 2000 Series", "19DB"},
      {"\xF0", "4600"},  // the one entry that differs from CRC-16/ARC
      {"", "0000"},
      {std::string(1, '\0'), "0000"},
      {std::string("\0A", 2), "30C0"},
  };
  for (const Case& c : cases) EXPECT_EQ(pnpsum::DeviceIdChecksum(c.text), c.checksum) << c.text;
}

// One step of the bit-by-bit reflected CRC with polynomial 0xA001, plus the
// 0x0200 that the changed table entry adds for every index byte of 0xF0 and
// above.
unsigned ReferenceStep(unsigned crc, unsigned char byte) {
  unsigned index = (byte ^ crc) & 0xFF;
  unsigned r = index;
  for (int bit = 0; bit < 8; ++bit) r = (r & 1) ? (r >> 1) ^ 0xA001 : r >> 1;
  if (index >= 0xF0) r ^= 0x0200;
  return (crc >> 8) ^ r;
}

std::string Reference(const std::string& text) {
  unsigned crc = 0;
  for (unsigned char byte : text) crc = ReferenceStep(crc, byte);
  char digits[9];
  snprintf(digits, sizeof digits, "%04X", crc);
  return digits;
}

TEST(DeviceIdChecksum, AgreesWithTheBitwiseRuleOnEveryByteValue) {
  std::string text;
  for (int i = 0; i < 256; ++i) {
    text.push_back(static_cast<char>(i * 37 + 11));
    ASSERT_EQ(pnpsum::DeviceIdChecksum(text), Reference(text)) << i;
  }
}

// Every table entry, from registers whose high bytes differ: one step for
// each index byte, then texts cut into two parts at every place, since
// the loop looks one byte ahead.
TEST(DeviceIdChecksum, StepsAndParts) {
  for (unsigned crc : {0x0000u, 0x12F0u, 0xA55Au, 0xFFFFu}) {
    for (unsigned byte = 0; byte < 256; ++byte) {
      char text = static_cast<char>(byte);
      ASSERT_EQ(pnpsum::DeviceIdChecksumAfter(static_cast<std::uint16_t>(crc),
                                              {&text, 1}),
                ReferenceStep(crc, static_cast<unsigned char>(byte)))
          << crc << " " << byte;
    }
  }
  const std::string text = "Acme CorpLaser Printer 2000 Series \xF0\x80";
  const std::uint16_t whole = pnpsum::DeviceIdChecksumAfter(0, text);
  for (std::size_t cut = 0; cut <= text.size(); ++cut) {
    std::string_view view = text;
    std::uint16_t first = pnpsum::DeviceIdChecksumAfter(0, view.substr(0, cut));
    EXPECT_EQ(pnpsum::DeviceIdChecksumAfter(first, view.substr(cut)), whole)
        << cut;
  }
}

}  // namespace
