// Test fixture: a fresh fake platform, closed standard streams and no
// pending I/O status for every test.
#pragma once

#include <gtest/gtest.h>

#include "console/io_status.h"
#include "console/path.h"
#include "console/text_stream.h"
#include "tests/fake_platform.h"

// `path` with this build's separator in place of each "/".
inline std::string Native(std::string path) {
  for (char& c : path)
    if (c == '/') c = console::kPathSeparator;
  return path;
}

class FakeConsoleTest : public ::testing::Test {
 protected:
  std::string StdOutBytes() const {
    return os_.fs.Written(console::FakeFileSystem::kStdOutHandle);
  }
  std::vector<std::size_t> StdOutWrites() const {
    return os_.fs.WriteSizes(console::FakeFileSystem::kStdOutHandle);
  }
  std::string StdErrBytes() const {
    return os_.fs.Written(console::FakeFileSystem::kStdErrHandle);
  }

  console::ScopedFakeConsole console_;
  console::FakePlatform& os_ = console_.os;
};
