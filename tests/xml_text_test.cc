#include "infsurvey/xml_text.h"

#include "tests/fake_console.h"

using namespace infsurvey;

namespace {

class XmlTextTest : public FakeConsoleTest {
 protected:
  // What `write` puts on standard output.
  template <typename Write>
  std::string Written(Write write, std::string_view text) {
    os_.fs.writes.clear();
    write(console::StdOut(), text);
    console::FlushStream(console::StdOut());
    return StdOutBytes();
  }
};

TEST_F(XmlTextTest, EscapeText) {
  struct Case {
    std::string in, out;
  };
  const Case cases[] = {
      {"5\" tray & <duplex>", "5&quot; tray &amp; &lt;duplex&gt;"},
      {"XXL100.GPD,USBPRINT\\XXLASER_100", "XXL100.GPD,USBPRINT\\XXLASER_100"},
      {"it's", "it's"},
      {"", ""},
      {"&amp;", "&amp;amp;"},
      {"&&&", "&amp;&amp;&amp;"},
      {"\"\"", "&quot;&quot;"},
      {"a\r\nb\tc", "a&#13;\nb\tc"},
      {"caf\xc3\xa9", "caf\xc3\xa9"},
      {"caf\xe9", "caf\xc3\xa9"},
      {std::string("n\0l\x1b", 4), "n\xEF\xBF\xBDl\xEF\xBF\xBD"},
      {"\xEF\xBF\xBE\xEF\xBF\xBF", "\xEF\xBF\xBD\xEF\xBF\xBD"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Written(XmlEscapeText, c.in), c.out) << c.in;
  }
}

TEST_F(XmlTextTest, QuoteAttr) {
  struct Case {
    std::string in, out;
  };
  const Case cases[] = {
      {"%XX_LASER_100%", "'XX_LASER_100'"},
      {"12\" plotter %MODEL%", "'12 plotter MODEL'"},
      {"C:\\Windows\\System32\\DriverStore\\FileRepository\\",
       "'C:\\Windows\\System32\\DriverStore\\FileRepository\\'"},
      {"", "''"},
      {"\"XX Laser 100\"", "'XX Laser 100'"},
      {"100% drivers", "'100 drivers'"},
      {"Bob's drivers & <more>", "'Bob&apos;s drivers &amp; &lt;more>'"},
      {"a\tb\nc\rd", "'a&#9;b&#10;c&#13;d'"},
      {"caf\xe9", "'caf\xc3\xa9'"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Written(XmlQuoteAttr, c.in), c.out) << c.in;
  }
}

// On a Western system every byte above 127 is a character of the code
// page, UTF-8 ones included: element and attribute text is converted, the
// time value, which is UTF-8 already, never.
TEST_F(XmlTextTest, OnlyCodePageTextIsConverted) {
  os_.latin1_code_page = true;
  const std::string cyrillic = "\xD0\xB2\xD1\x82";  // U+0432 U+0442 in UTF-8
  EXPECT_EQ(Written(XmlQuoteUtf8Attr, "09:07 " + cyrillic),
            "\"09:07 " + cyrillic + "\"");
  EXPECT_EQ(Written(XmlEscapeText, "caf\xe9 & " + cyrillic),
            "caf\xc3\xa9 &amp; \xC3\x90\xC2\xB2\xC3\x91\xC2\x82");
  EXPECT_EQ(Written(XmlQuoteAttr, "caf\xe9"), "'caf\xc3\xa9'");
}

TEST_F(XmlTextTest, QuoteUtf8Attr) {
  EXPECT_EQ(Written(XmlQuoteUtf8Attr, "09:07:03 Sat 05 March 2011"),
            "\"09:07:03 Sat 05 March 2011\"");
  EXPECT_EQ(Written(XmlQuoteUtf8Attr, "a\"&<>'\x01\xe9"),
            "\"a&quot;&amp;&lt;>'\xEF\xBF\xBD\xC3\xA9\"");
}

}  // namespace
