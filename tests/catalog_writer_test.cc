#include "infsurvey/catalog_writer.h"

#include "console/program.h"
#include "tests/fake_console.h"

using namespace infsurvey;

namespace {

class CatalogWriterTest : public FakeConsoleTest {
 protected:
  // What `write` puts on standard output, in a run that must end well.
  std::string Written(const console::MainBlock& write) {
    os_.fs.writes.clear();
    EXPECT_EQ(console::RunMainBlock(write), 0);
    return StdOutBytes();
  }
};

TEST_F(CatalogWriterTest, HeadAndEnd) {
  EXPECT_EQ(Written([] {
              WriteCatalogHead("C:\\Repo\\100% \"x\"\\", "09:07:03 Sat 05 March 2011",
                               "Two & <args>");
              WriteCatalogEnd();
            }),
            "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
            "<?xml-stylesheet href=\"gridpane.xsl\" type=\"text/xsl\"?>\r\n"
            "<drivers\r\n"
            " location='C:\\Repo\\100 x\\'\r\n"
            " time=\"09:07:03 Sat 05 March 2011\" >\r\n"
            "  <comment>\r\n"
            "Two &amp; &lt;args&gt;\r\n"
            "  </comment>\r\n"
            "</drivers>\r\n");
}

TEST_F(CatalogWriterTest, ManufacturerElement) {
  ManufacturerModels found{"%XX%", "XX.NTx86",
                           {"%XX_LASER_100%=XXL100.GPD,USBPRINT\\XXLASER_100",
                            "A&B's <x>=\"5\" & <y> it's", "Install"}};
  EXPECT_EQ(Written([&] {
              WriteManufacturerElement(found, "C:\\Repo\\xx001.inf_amd64_1\\xx001.inf");
            }),
            "  <manufacturer name='XX' filename='C:\\Repo\\xx001.inf_amd64_1\\xx001.inf' >\r\n"
            "    <driver name='XX_LASER_100' >\r\n"
            "       XXL100.GPD,USBPRINT\\XXLASER_100\r\n"
            "    </driver>\r\n"
            "    <driver name='A&amp;B&apos;s &lt;x>' >\r\n"
            "       &quot;5&quot; &amp; &lt;y&gt; it's\r\n"
            "    </driver>\r\n"
            "    <driver name='' >\r\n"
            "       \r\n"
            "    </driver>\r\n"
            "  </manufacturer>\r\n");
  found.models.clear();
  EXPECT_EQ(Written([&] { WriteManufacturerElement(found, "x.inf"); }),
            "  <manufacturer name='XX' filename='x.inf' >\r\n"
            "  </manufacturer>\r\n");
}

TEST_F(CatalogWriterTest, FailedWriteEndsTheRunAfterWhatWasWritten) {
  os_.fs.stdout_type = console::FileType::kChar;
  os_.FailCall(console::FakePlatform::Call::kWriteFile, 2, 112);
  ManufacturerModels found{"M", "m.NT", {"P=p.gpd"}};
  EXPECT_EQ(console::RunMainBlock([&] { WriteManufacturerElement(found, "x"); }), 1);
  EXPECT_EQ(StdOutBytes(), "  <manufacturer name='M' filename='x' >\r\n");
  EXPECT_NE(StdErrBytes().find("I/O error 112."), std::string::npos);
}

}  // namespace
