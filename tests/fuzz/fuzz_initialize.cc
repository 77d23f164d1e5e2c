// Before the first input: outside the fresh fake console of each input,
// every call of the platform breaks an invariant, so that no target reaches
// the real disk, signals or locale unseen.
#include <string>

#include "console/platform.h"
#include "tests/fake_platform.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

void Refuse(const char* call) {
  fuzz::Fail(std::string("the platform's ") + call +
             " was called outside a fresh console");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  static console::RefusingPlatform refusing(Refuse);
  console::SetPlatform(&refusing.platform);
  return 0;
}
