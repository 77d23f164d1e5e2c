// Test fixture: a fresh fake platform, closed standard streams and no
// pending I/O status for every test.
#pragma once

#include <gtest/gtest.h>

#include "tests/fake_platform.h"
#include "console/io_status.h"
#include "console/text_stream.h"

class FakeConsoleTest : public ::testing::Test {
 protected:
  std::string StdOutBytes() const {
    return os_.Written(console::FakePlatform::kStdOutHandle);
  }
  std::vector<std::size_t> StdOutWrites() const {
    return os_.WriteSizes(console::FakePlatform::kStdOutHandle);
  }
  std::string StdErrBytes() const {
    return os_.Written(console::FakePlatform::kStdErrHandle);
  }

  console::ScopedFakeConsole console_;
  console::FakePlatform& os_ = console_.os;
};
