#include "pnpsum/prompt_loop.h"

#include "console/program.h"
#include "pnpsum/device_id_checksum.h"
#include "tests/fake_console.h"

namespace {

using namespace std::string_literals;

TEST(DeviceId, WorkedExamples) {
  struct Case {
    std::string manufacturer, model, id;
  };
  const Case cases[] = {
      {"Acme", "Laser 200", "AcmeLaser_20021C1"},
      {" Acme Corp ", "Laser Printer 2000 Series", "Acme_CorpLaser_Print19DB"},
      {"Acme", "Laser Printer 20", "AcmeLaser_Printer_208226"},
      {"Acme", "Laser Printer 2000", "AcmeLaser_Printer_20158E"},
      {"Acme", "Laser Printer 20000", "AcmeLaser_Printer_207095"},
      {"", "X1", "X114FA"},
      {"Acme", "", "Acme9908"},
      {"", "", ""},
      {"  \t", " \x01 ", ""},
      {"A\tB", "\xe9", "A\tB\xe9" "1035"},  // tab and high bytes stay in the stem
      // A blank that ends up 20th becomes an underscore at the end of the
      // stem; the checksum covers the 21st byte too.
      {"Eighteen character", "s x", "Eighteen_characters_FB7F"},
      // The stem holds only the manufacturer; the checksum covers both.
      {"Twenty-one characters", " X", "Twenty-one_characterDD96"},
      // Blanks first and last in the stem's second word of eight bytes,
      // beside bytes that stay: NUL and 160 (a blank but for one bit), 127,
      // and "!" after a blank, which a borrowing zero-byte test would take.
      {"A \xa0\x7f B", "\x01 C\0 D !E F G H I J"s,
       "A_\xa0\x7f_BC\0_D_!E_F_G_H_402A"s},
  };
  std::string id = "left over";
  for (const Case& c : cases) {
    pnpsum::DeviceId(c.manufacturer, c.model, &id);
    EXPECT_EQ(id, c.id) << c.manufacturer << "|" << c.model;
  }
}

// Every length 0-24 of each answer, with a blank at every place of each
// (or none), against a plain byte loop: the word-at-a-time copy must
// neither drop nor make up a byte at any size, nor read past an answer
// (each lies in a block of its own size, for AddressSanitizer). The other
// bytes are those a blank test could mistake for a blank: one bit away,
// the blank with its high bit, the bytes around 127 and 255.
TEST(DeviceId, AgreesWithAPlainLoop) {
  const std::string_view fill = "!\xa0" "0\x7f@\xff_\x80" "A";
  auto answer = [&](std::size_t length, std::size_t blank, std::size_t shift) {
    std::vector<char> text(length);
    for (std::size_t i = 0; i < length; ++i)
      text[i] = i == blank ? ' ' : fill[(i + shift) % fill.size()];
    return text;
  };
  auto trimmed = [](const std::vector<char>& text) {
    std::size_t first = 0, end = text.size();
    while (end > 0 && static_cast<unsigned char>(text[end - 1]) <= 32) --end;
    while (first < end && static_cast<unsigned char>(text[first]) <= 32) ++first;
    return std::string(text.data() + first, end - first);
  };
  std::string id;
  for (std::size_t m = 0; m <= 24; ++m) {
    for (std::size_t n = 0; n <= 24; ++n) {
      for (std::size_t mb = 0; mb <= m; ++mb) {
        for (std::size_t nb = 0; nb <= n; ++nb) {
          std::vector<char> maker = answer(m, mb, 0), model = answer(n, nb, 4);
          std::string joined = trimmed(maker) + trimmed(model), plain;
          if (!joined.empty()) {
            for (char c : joined.substr(0, 20)) plain += c == ' ' ? '_' : c;
            plain += pnpsum::DeviceIdChecksum(joined);
          }
          pnpsum::DeviceId({maker.data(), m}, {model.data(), n}, &id);
          ASSERT_EQ(id, plain) << m << " " << mb << " " << n << " " << nb;
        }
      }
    }
  }
}

class PromptLoopTest : public FakeConsoleTest {};

TEST_F(PromptLoopTest, RedirectedDialogue) {
  // Long answers first: a shorter one must not keep the longer one's tail.
  os_.fs.stdin_bytes =
      " Acme Corp \r\nLaser Printer 2000 Series\r\nAcme\r\nLaser 200\r\n";
  EXPECT_EQ(console::RunMainBlock(pnpsum::PromptLoop), 0);
  EXPECT_EQ(StdOutBytes(),
            "MFG: MDL: CID: Acme_CorpLaser_Print19DB\r\n"
            "MFG: MDL: CID: AcmeLaser_20021C1\r\nMFG: MDL: ");
  EXPECT_EQ(StdOutWrites().size(), 1u);  // a pipe gets it all at the end
}

TEST_F(PromptLoopTest, ConsoleShowsEachPromptAtOnce) {
  os_.fs.stdout_type = console::FileType::kChar;
  os_.fs.stdin_bytes = "Acme\nLaser 200\n\n\n";
  EXPECT_EQ(console::RunMainBlock(pnpsum::PromptLoop), 0);
  EXPECT_EQ(StdOutWrites(), (std::vector<std::size_t>{5, 5, 24, 5, 5}));
}

TEST_F(PromptLoopTest, LongAnswersAreReadWhole) {
  std::string model(300, 'M');
  os_.fs.stdin_bytes = "A\n" + model + "\n";
  EXPECT_EQ(console::RunMainBlock(pnpsum::PromptLoop), 0);
  EXPECT_EQ(StdOutBytes(),
            "MFG: MDL: CID: A" + std::string(19, 'M') + "B3AC\r\nMFG: MDL: ");
}

}  // namespace
