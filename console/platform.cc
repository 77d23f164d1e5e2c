#include "console/platform.h"

namespace console {
namespace {
Platform* current_platform = nullptr;
}  // namespace

Platform& Os() { return *current_platform; }
Platform* SetPlatform(Platform* platform) {
  Platform* previous = current_platform;
  current_platform = platform;
  return previous;
}

}  // namespace console
