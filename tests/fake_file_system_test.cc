// The fake derives listings and lookups from its one map of entries as the
// real file systems do; the tests of the programs rely on it.
#include <gtest/gtest.h>

#include "tests/fake_console.h"

namespace {

using console::FakeFileSystem;

class FakeFileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs_.AddFile(Native("R/b.inf_1/B.inf"), "b");
    fs_.AddFile(Native("R/a.inf_2/a.inf"), "a");
    fs_.AddFile(Native("R/a.inf_2/A.INF"), "A");
    fs_.AddFile(Native("R/loose.inf"), "");
    fs_.AddFolder(Native("R/empty"));
  }

  // The names listed, a folder's with a "/" after it.
  std::string Listed(const std::string& prefix) {
    std::string names;
    fs_.ListFolder(prefix, [&](const console::FolderEntry& entry) {
      names += (names.empty() ? "" : " ") + entry.name + (entry.folder ? "/" : "");
    });
    return names;
  }

  FakeFileSystem fs_;
};

TEST_F(FakeFileSystemTest, ListsTheFoldersEntriesThatBeginWithTheRest) {
  struct Case {
    std::string prefix, listed;
  };
  const Case cases[] = {
      {"R/", "./ ../ b.inf_1/ a.inf_2/ loose.inf empty/"},  // as made
      {"R/a", "a.inf_2/"},
      {"R/.", "./ ../"},
      {"R/B", ""},  // the prefix is taken byte for byte
      {"R", "R/"},  // the entries of the current folder
      {"R/a.inf_2/", "./ ../ a.inf A.INF"},
      {"R/loose.inf/", ""},
      {"missing/", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(Listed(Native(c.prefix)), c.listed) << c.prefix;
}

TEST_F(FakeFileSystemTest, FindsFilesWithoutRegardToCaseButOpensThemAsNamed) {
  struct Case {
    std::string path, found;
    std::uint32_t open_code;  // of the path as given
  };
  const Case cases[] = {
      {"R/b.inf_1/B.inf", "R/b.inf_1/B.inf", 0},
      {"r/B.INF_1/b.INF", "R/b.inf_1/B.inf", console::kErrorPathNotFound},
      {"R/a.inf_2/a.inf", "R/a.inf_2/a.inf", 0},  // the exact name first
      {"R/a.inf_2/a.INF", "R/a.inf_2/A.INF", console::kErrorFileNotFound},
      {"R/empty", "", console::kErrorAccessDenied},  // a folder is no file
      {"R/none.inf", "", console::kErrorFileNotFound},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(fs_.FindFile(Native(c.path)), Native(c.found)) << c.path;
    console::Handle handle = 0;
    EXPECT_EQ(fs_.OpenForReading(Native(c.path), &handle), c.open_code) << c.path;
    fs_.CloseHandle(handle);
  }
  EXPECT_EQ(fs_.open_handles, 0);
}

}  // namespace
