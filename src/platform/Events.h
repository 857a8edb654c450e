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
    // The Unix process that made the event (event field 41): 0 for local hardware, the process
    // of remote-control software for a click it synthesised.
    int64_t sourceProcessID = 0;
};

} // namespace platform
