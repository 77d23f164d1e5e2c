#include "infsurvey/catalog_run.h"

#include "console/path.h"
#include "console/program.h"
#include "tests/fake_console.h"

namespace {

std::string Head(const std::string& location, const std::string& time,
                 const std::string& comment) {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
         "<?xml-stylesheet href=\"gridpane.xsl\" type=\"text/xsl\"?>\r\n"
         "<drivers\r\n location='" + location + "'\r\n time=\"" + time +
         "\" >\r\n  <comment>\r\n" + comment + "\r\n  </comment>\r\n";
}

// A repository of a printer package whose INF is named in capitals, a
// package of another class, one without its INF and a file; the clock at
// Saturday 5 March 2011, 09:07:03.
class CatalogRunTest : public FakeConsoleTest {
 protected:
  void SetUp() override {
    os_.fs.AddFile(Native("R/prn.inf_1/PRN.INF"),
                   "[Version]\r\nClass=Printer\r\n[Manufacturer]\r\nAcme=A,NT\r\n"
                   "[A.NT]\r\nLaser=l.gpd\r\n");
    os_.fs.AddFile(Native("R/other.inf_2/other.inf"), "[Version]\r\nClass=Modem\r\n");
    os_.fs.AddFolder(Native("R/gone.inf_3"));
    os_.fs.AddFile(Native("R/file.inf"), "");
    os_.local_time = {2011, 3, 5, 9, 7, 3};
  }
};

TEST_F(CatalogRunTest, ArgumentsAndTheirDefaults) {
  const std::string kElement =
      "  <manufacturer name='Acme' filename='" + Native("R/prn.inf_1/PRN.INF") +
      "' >\r\n    <driver name='Laser' >\r\n       l.gpd\r\n    </driver>\r\n"
      "  </manufacturer>\r\n";
  const std::string kDefaults =
      Head("C:\\Windows\\System32\\DriverStore\\FileRepository\\",
           "09:07:03 Sat 05 March 2011",
           "Windows 7 64bit AMD pre-installed drivers") + "</drivers>\r\n";
  struct Case {
    std::vector<std::string> arguments;
    std::string catalog;
  };
  const Case cases[] = {
      {{"infsurvey.exe", Native("R/"), "Two & <args>"},
       Head(Native("R/"), "09:07:03 Sat 05 March 2011", "Two &amp; &lt;args&gt;") +
           kElement + "</drivers>\r\n"},
      {{"infsurvey.exe"}, kDefaults},
      {{"infsurvey.exe", "", ""}, kDefaults},
  };
  for (const Case& c : cases) {
    os_.arguments = c.arguments;
    os_.fs.writes.clear();
    EXPECT_EQ(console::RunMainBlock(infsurvey::CatalogRun), 0);
    EXPECT_EQ(StdOutBytes(), c.catalog);
  }
}

TEST_F(CatalogRunTest, TimeInTheLocalesTexts) {
  os_.arguments = {"infsurvey.exe", Native("R/")};
  os_.day_abbreviations[6] = "sam.";
  os_.month_names[2] = "mars";
  os_.time_separator = std::string("h");
  EXPECT_EQ(console::RunMainBlock(infsurvey::CatalogRun), 0);
  EXPECT_NE(StdOutBytes().find(" time=\"09h07h03 sam. 05 mars 2011\" >\r\n"),
            std::string::npos);
}

TEST_F(CatalogRunTest, FailedReadOfAnInfEndsTheRunAfterTheHead) {
  os_.arguments = {"infsurvey.exe", Native("R/"), "c"};
  os_.FailCall(console::FakePlatform::Call::kReadFile, 1, 30);
  EXPECT_EQ(console::RunMainBlock(infsurvey::CatalogRun), 1);
  EXPECT_EQ(StdOutBytes(), Head(Native("R/"), "09:07:03 Sat 05 March 2011", "c"));
  EXPECT_EQ(StdErrBytes(),
            "Exception EInOutError in module fake.exe at 00001A2B.\r\n"
            "I/O error 30.\r\n\r\n");
  EXPECT_EQ(os_.fs.open_handles, 0);
}

}  // namespace
