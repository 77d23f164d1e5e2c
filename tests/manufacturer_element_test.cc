#include "infsurvey/manufacturer_element.h"

#include "console/program.h"
#include "tests/fake_console.h"

using namespace infsurvey;

namespace {

class ManufacturerElementTest : public FakeConsoleTest {
 protected:
  std::string Element(const InfLineList& lines,
                      const std::string& path = "C:\\Repo\\x.inf") {
    static const InfLineList* current;
    static const std::string* current_path;
    current = &lines;
    current_path = &path;
    EXPECT_EQ(console::RunMainBlock([] { WriteManufacturerElement(*current, *current_path); }), 0);
    std::string written = StdOutBytes();
    os_.writes.clear();
    return written;
  }
};

TEST(ModelsSectionName, Rules) {
  struct Case {
    std::string value;
    std::optional<std::string> name;
  };
  const Case cases[] = {
      {"XX,NTx86,NTamd64", "XX.NTx86"},
      {"XX,NTamd64", "XX.NTamd64"},
      {"XX,", "XX."},
      {"XX", std::nullopt},
      {"", std::nullopt},
      {"XX, NTamd64", "XX.NTamd64"},
      {" XX , NTx86 , NTamd64", "XX.NTx86"},
      {"XX,NTamd64.6.0", "XX.NTamd64.6.0"},
      {",", "."},
  };
  for (const Case& c : cases) EXPECT_EQ(ModelsSectionName(c.value), c.name) << c.value;
}

TEST_F(ManufacturerElementTest, WorkedExample) {
  EXPECT_EQ(Element({"[Version]", "Class=Printer", "[Manufacturer]",
                     "%XX%=XX,NTx86,NTamd64", "[XX.NTx86]",
                     "%XX_LASER_100%=XXL100.GPD,USBPRINT\\XXLASER_100"},
                    "C:\\Repo\\xx001.inf_amd64_1\\xx001.inf"),
            "  <manufacturer name='XX' filename='C:\\Repo\\xx001.inf_amd64_1\\xx001.inf' >\r\n"
            "    <driver name='XX_LASER_100' >\r\n"
            "       XXL100.GPD,USBPRINT\\XXLASER_100\r\n"
            "    </driver>\r\n"
            "  </manufacturer>\r\n");
}

TEST_F(ManufacturerElementTest, WhatIsWrittenForWhichInf) {
  const std::string start = "  <manufacturer name='M' filename='C:\\Repo\\x.inf' >\r\n";
  const std::string end = "  </manufacturer>\r\n";
  const std::string driver =
      "    <driver name='P' >\r\n       p.gpd\r\n    </driver>\r\n";
  struct Case {
    const char* name;
    InfLineList lines;
    std::string element;
  };
  const Case cases[] = {
      {"class case ignored", {"[Version]", "Class=PRINTER", "[Manufacturer]", "M=m,NT",
                              "[m.NT]", "P=p.gpd"}, start + driver + end},
      {"class with more", {"[Version]", "Class=Printer ;c", "[Manufacturer]", "M=m,NT"}, ""},
      {"quoted class", {"[Version]", "Class=\"Printer\"", "[Manufacturer]", "M=m,NT"}, ""},
      {"no class", {"[Version]", "[Manufacturer]", "M=m,NT"}, ""},
      {"no manufacturers", {"[Version]", "Class=Printer", "[Manufacturer]"}, ""},
      {"no comma", {"[Version]", "Class=Printer", "[Manufacturer]", "M=m"}, ""},
      {"no models section", {"[Version]", "Class=Printer", "[Manufacturer]", "M=m,NT"},
       start + end},
      {"blanks after the comma", {"[Version]", "Class=Printer", "[Manufacturer]",
                                  "M=m, NT", "[m.NT]", "P=p.gpd"}, start + driver + end},
      {"first manufacturer only", {"[Version]", "Class=Printer", "[Manufacturer]",
                                   "M=m,NT", "N=n,NT", "[m.NT]", "P=p.gpd", "[n.NT]",
                                   "Q=q"}, start + driver + end},
      {"duplicate models", {"[Version]", "Class=Printer", "[Manufacturer]", "%M%=m,NT",
                            "[m.NT]", "\"P\"=p.gpd", "P=p.gpd"},
       start + driver + driver + end},
      {"plain model entry", {"[Version]", "Class=Printer", "[Manufacturer]", "M=m,NT",
                             "[m.NT]", "Install"},
       start + "    <driver name='' >\r\n       \r\n    </driver>\r\n" + end},
      {"escaped values", {"[Version]", "Class=Printer", "[Manufacturer]", "M=m,NT",
                          "[m.NT]", "A&B's <x>=\"5\" & <y> it's"},
       start + "    <driver name='A&amp;B&apos;s &lt;x>' >\r\n"
               "       &quot;5&quot; &amp; &lt;y&gt; it's\r\n    </driver>\r\n" + end},
  };
  for (const Case& c : cases) EXPECT_EQ(Element(c.lines), c.element) << c.name;
}

TEST_F(ManufacturerElementTest, FailedWriteEndsTheRun) {
  os_.stdout_type = console::FileType::kChar;
  os_.FailCall(console::FakePlatform::Call::kWriteFile, 2, 112);
  static const InfLineList lines = {"[Version]", "Class=Printer", "[Manufacturer]",
                                    "M=m,NT", "[m.NT]", "P=p.gpd"};
  EXPECT_EQ(console::RunMainBlock([] { WriteManufacturerElement(lines, "x"); }), 1);
  EXPECT_EQ(StdOutBytes(), "  <manufacturer name='M' filename='x' >\r\n");
  EXPECT_NE(StdErrBytes().find("I/O error 112."), std::string::npos);
}

}  // namespace
