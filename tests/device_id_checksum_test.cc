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

// The bit-by-bit reflected CRC with polynomial 0xA001, plus the 0x0200 that
// the changed table entry adds for every index byte of 0xF0 and above.
std::string Reference(const std::string& text) {
  unsigned crc = 0;
  for (unsigned char byte : text) {
    unsigned index = (byte ^ crc) & 0xFF;
    unsigned r = index;
    for (int bit = 0; bit < 8; ++bit) r = (r & 1) ? (r >> 1) ^ 0xA001 : r >> 1;
    if (index >= 0xF0) r ^= 0x0200;
    crc = (crc >> 8) ^ r;
  }
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

}  // namespace
