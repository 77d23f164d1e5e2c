#include "pnpsum/prompt_loop.h"

#include "console/program.h"
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
