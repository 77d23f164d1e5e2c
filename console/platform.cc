#include "console/platform.h"

namespace console {
namespace {
const Platform* current_platform = nullptr;
}  // namespace

const Platform& Os() {
  return current_platform != nullptr ? *current_platform : SystemPlatform();
}

const Platform* SetPlatform(const Platform* platform) {
  const Platform* previous = current_platform;
  current_platform = platform;
  return previous;
}

}  // namespace console
