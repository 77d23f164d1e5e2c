#include "infsurvey/folder_scan.h"

#include "console/path.h"
#include "tests/fake_console.h"

using namespace infsurvey;

namespace {

class FolderScanTest : public FakeConsoleTest {};

std::string Native(std::string path) {
  for (char& c : path)
    if (c == '/') c = console::kPathSeparator;
  return path;
}

TEST_F(FolderScanTest, TakesFoldersWhoseNamesDoNotBeginWithADot) {
  os_.folders[Native("R/")] = {
      {".", true},       {"..", true},        {".hidden.inf_x", true},
      {"b.inf_1", true}, {"file.inf", false}, {"a.inf_2", true},
      {"plain", true},
  };
  EXPECT_EQ(ListPackageFolders(Native("R/")),
            (std::vector<std::string>{Native("R/b.inf_1"), Native("R/a.inf_2"),
                                      Native("R/plain")}));
  // The folder text is a prefix as it stands, also before the entry name.
  os_.folders["R"] = {{"Rx", true}};
  EXPECT_EQ(ListPackageFolders("R"), (std::vector<std::string>{"RRx"}));
  EXPECT_TRUE(ListPackageFolders("missing/").empty());
}

TEST_F(FolderScanTest, InfPathOfAPackageFolder) {
  struct Case {
    std::string folder, inf_path;
  };
  const Case cases[] = {
      {"R/prnxx001.inf_amd64_neutral_0a1b2c", "R/prnxx001.inf_amd64_neutral_0a1b2c/prnxx001.inf"},
      {"R/PRNXX001.INF_AMD64", "R/PRNXX001.INF_AMD64/prnxx001.inf"},
      {"R/a.info.inf_x", "R/a.info.inf_x/a.inf"},
      {"R/.inf_x", "R/.inf_x/.inf"},
      {"R/noinf", ""},
      {"x.inf_1", "x.inf_1/x.inf"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(InfPathOf(Native(c.folder)), Native(c.inf_path)) << c.folder;
  // With a double-byte code page, the second byte of a character is no
  // capital: "\x83" "A" stays, the "B" after it does not.
  os_.lead_bytes = std::string(1, '\x83');
  EXPECT_EQ(InfPathOf(Native("R/\x83" "AB.INF_1")), Native("R/\x83" "AB.INF_1/\x83" "Ab.inf"));
}

}  // namespace
