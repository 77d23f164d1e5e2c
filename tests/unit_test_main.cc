// The unit tests' main: where no fixture has set a platform, every call of
// one fails the test that makes it, so that no test reaches the real disk,
// signals or locale unseen. The POSIX platform's own tests set it by name.
#include <gtest/gtest.h>

#include "console/platform.h"
#include "tests/fake_platform.h"

namespace {

void FailTheTest(const char* call) {
  ADD_FAILURE() << "the platform's " << call
                << " was called with no platform set: a fixture sets the "
                   "fake one (tests/fake_console.h)";
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  static console::RefusingPlatform refusing(FailTheTest);
  console::SetPlatform(&refusing.platform);
  return RUN_ALL_TESTS();
}
