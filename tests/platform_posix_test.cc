// The POSIX platform on a real folder: error codes as Windows gives them,
// and names found without regard to case.
#ifndef _WIN32
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "console/io_status.h"
#include "console/platform.h"
#include "console/text_stream.h"
#include "tests/fake_platform.h"

namespace {

class PosixPlatformTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/platform_test_XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    folder_ = folder;
    std::ofstream(folder_ + "/Mixed.INF") << "x";
    std::filesystem::create_directory(folder_ + "/mixed.inf_1");
    previous_ = console::SetPlatform(&console::SystemPlatform());
  }
  void TearDown() override {
    console::SetPlatform(previous_);
    std::filesystem::remove_all(folder_);
  }
  std::string folder_;
  const console::Platform* previous_ = nullptr;
};

TEST_F(PosixPlatformTest, OpenFailuresAsWindowsCodes) {
  struct Case {
    std::string path;
    std::uint32_t code;
  };
  for (const Case& c : {Case{folder_ + "/missing", 2}, Case{folder_ + "/Mixed.INF/x", 3},
                        Case{folder_ + "/" + std::string(5000, 'n'), 206}}) {
    console::Handle handle = 0;
    EXPECT_EQ(console::Os().files.OpenForReading(c.path, &handle), c.code) << c.path;
  }
}

TEST_F(PosixPlatformTest, FindFileIgnoresCaseAndFolders) {
  EXPECT_EQ(console::Os().files.FindFile(folder_ + "/Mixed.INF"), folder_ + "/Mixed.INF");
  EXPECT_EQ(console::Os().files.FindFile(folder_ + "/mixed.inf"), folder_ + "/Mixed.INF");
  EXPECT_EQ(console::Os().files.FindFile(folder_ + "/mixed.inf_1"), "");
  EXPECT_EQ(console::Os().files.FindFile(folder_ + "/other.inf"), "");
}

TEST_F(PosixPlatformTest, ListFolderByPrefix) {
  std::vector<std::string> folders, files;
  console::Os().files.ListFolder(folder_ + "/mi", [&](const console::FolderEntry& entry) {
    (entry.folder ? folders : files).push_back(entry.name);
  });
  EXPECT_EQ(folders, std::vector<std::string>{"mixed.inf_1"});
  EXPECT_TRUE(files.empty());  // "Mixed.INF" does not begin with "mi"
}

// Names are bytes to the POSIX platform, whatever code page is in use: a
// "/" after a lead byte of the fake's is still a separator.
TEST_F(PosixPlatformTest, NamesAreBytesUnderAnotherCodePage) {
  std::filesystem::create_directory(folder_ + "/d\x81");
  std::ofstream(folder_ + "/d\x81/Mixed.INF") << "x";
  console::ScopedFakeConsole fake;
  fake.os.lead_bytes = std::string("\x81");
  EXPECT_EQ(console::SystemPlatform().files.FindFile(folder_ + "/d\x81/mixed.inf"),
            folder_ + "/d\x81/Mixed.INF");
}

// The failing shim wraps the real file system as it wraps the fake.
TEST_F(PosixPlatformTest, FailuresInjectedIntoTheRealFileSystem) {
  std::ofstream(folder_ + "/long.inf") << std::string(300, 'x');
  const console::Platform& system = console::SystemPlatform();
  console::FailingFileSystem failing(system.files);
  failing.FailCall(console::FailingFileSystem::Call::kReadFile, 2,
                   console::kErrorReadFault);
  const console::Platform platform{failing, system.code_page, system.process,
                                   system.locale};
  console::SetPlatform(&platform);
  console::TextStream file;
  console::OpenForReading(file, folder_ + "/long.inf");
  EXPECT_EQ(console::ReadNarrowedCharacters(file).size(), 128u);
  EXPECT_TRUE(console::ReadNarrowedCharacters(file).empty());
  EXPECT_EQ(console::IoStatus(), console::kErrorReadFault);
  console::SetIoStatus(0);
  console::CloseStream(file);
}

}  // namespace
#endif
