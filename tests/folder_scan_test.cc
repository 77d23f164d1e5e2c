#include "infsurvey/folder_scan.h"

#include "console/path.h"
#include "tests/fake_console.h"

using namespace infsurvey;

namespace {

class FolderScanTest : public FakeConsoleTest {};

TEST_F(FolderScanTest, TakesFoldersWhoseNamesDoNotBeginWithADot) {
  for (const char* name : {".hidden.inf_x", "b.inf_1", "a.inf_2", "plain"})
    os_.fs.AddFolder(Native("R/") + name);
  os_.fs.AddFile(Native("R/file.inf"), "");
  os_.fs.AddFile(Native("R/sub.inf_3/nested.inf_4/x.inf"), "");
  EXPECT_EQ(ListPackageFolders(Native("R/")),
            (std::vector<std::string>{Native("R/b.inf_1"), Native("R/a.inf_2"),
                                      Native("R/plain"), Native("R/sub.inf_3")}));
  // The folder text is a prefix as it stands, also before the entry name.
  os_.fs.AddFolder("Rx");
  EXPECT_EQ(ListPackageFolders("R"), (std::vector<std::string>{"RR", "RRx"}));
  EXPECT_TRUE(ListPackageFolders(Native("missing/")).empty());
  EXPECT_TRUE(ListPackageFolders(Native("R/file.inf/")).empty());
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
