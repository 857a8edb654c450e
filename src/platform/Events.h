#pragma once

#include "platform/Geometry.h"

#include <cstdint>
#include <optional>

namespace platform {

enum class EventType {
    leftMouseDown,
    leftMouseUp,
    rightMouseDown,
    rightMouseUp,
    otherMouseDown,
    scrollWheel,
    mouseMoved,
    keyDown,
    flagsChanged,
    other
};

struct ModifierFlags {
    bool command = false, shift = false, option = false, control = false;
    bool operator==(const ModifierFlags&) const = default;
};

struct Event {
    EventType type = EventType::other;
    ModifierFlags modifiers;
    uint16_t keyCode = 0;
    // Where a mouse event happened, in the window's points from its top left; none when unknown.
    std::optional<Point> location;
};

} // namespace platform
