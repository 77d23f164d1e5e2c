#include "console/platform.h"

namespace console {
namespace {
Platform* current_platform = nullptr;
}  // namespace

Platform& Os() { return *current_platform; }
void SetPlatform(Platform* platform) { current_platform = platform; }

}  // namespace console
