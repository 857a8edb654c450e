#include "platform/Platform.h"

#include "platform/RunLoop.h"

#include <cassert>

namespace platform {

namespace {
Platform* currentPlatform = nullptr;
unsigned long generation = 0;
} // namespace

Platform& current() {
    assert(currentPlatform && "no platform installed");
    return *currentPlatform;
}

bool hasCurrent() {
    return currentPlatform != nullptr;
}

void setCurrent(Platform* platform) {
    currentPlatform = platform;
    ++generation;
}

unsigned long currentGeneration() {
    return generation;
}

RunLoop& mainQueue() {
    return *current().runLoop;
}

} // namespace platform
