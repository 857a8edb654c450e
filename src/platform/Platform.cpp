#include "platform/Platform.h"

#include "platform/RunLoop.h"

#include <cassert>

namespace platform {

namespace {
Platform* currentPlatform = nullptr;
}

Platform& current() {
    assert(currentPlatform && "no platform installed");
    return *currentPlatform;
}

bool hasCurrent() {
    return currentPlatform != nullptr;
}

void setCurrent(Platform* platform) {
    currentPlatform = platform;
}

RunLoop& mainQueue() {
    return *current().runLoop;
}

} // namespace platform
