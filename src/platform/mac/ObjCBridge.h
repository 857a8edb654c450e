#pragma once
// Strings and events between Objective-C and the platform's types (Objective-C++ only).

#include "platform/InputActivity.h"

#include <AppKit/AppKit.h>

#include <string>
#include <utility>

namespace mac {

inline NSString* ns(const std::string& text) {
    return [NSString stringWithUTF8String:text.c_str()];
}

inline std::string str(NSString* text) {
    const char* utf8 = text ? text.UTF8String : nullptr;
    return utf8 ? std::string(utf8) : std::string();
}

// The event kinds the platform names, and AppKit's for each.
inline constexpr std::pair<platform::EventType, NSEventType> kEventKinds[] = {
    {platform::EventType::leftMouseDown, NSEventTypeLeftMouseDown},
    {platform::EventType::leftMouseUp, NSEventTypeLeftMouseUp},
    {platform::EventType::rightMouseDown, NSEventTypeRightMouseDown},
    {platform::EventType::rightMouseUp, NSEventTypeRightMouseUp},
    {platform::EventType::otherMouseDown, NSEventTypeOtherMouseDown},
    {platform::EventType::scrollWheel, NSEventTypeScrollWheel},
    {platform::EventType::mouseMoved, NSEventTypeMouseMoved},
    {platform::EventType::keyDown, NSEventTypeKeyDown},
    {platform::EventType::flagsChanged, NSEventTypeFlagsChanged}};

inline platform::EventType eventType(NSEventType type) {
    for (const auto& [ours, theirs] : kEventKinds)
        if (theirs == type) return ours;
    return platform::EventType::other;
}

// Without the window's size the location is left unknown: monitors only need keys and flags.
inline platform::Event platformEvent(NSEvent* event) {
    platform::Event out;
    if (!event) return out;
    out.type = eventType(event.type);
    const NSEventModifierFlags flags = event.modifierFlags;
    out.modifiers.command = (flags & NSEventModifierFlagCommand) != 0;
    out.modifiers.shift = (flags & NSEventModifierFlagShift) != 0;
    out.modifiers.option = (flags & NSEventModifierFlagOption) != 0;
    out.modifiers.control = (flags & NSEventModifierFlagControl) != 0;
    if (out.type == platform::EventType::keyDown || out.type == platform::EventType::flagsChanged)
        out.keyCode = event.keyCode;
    if (CGEventRef cg = event.CGEvent)
        out.sourceProcessID = CGEventGetIntegerValueField(cg, kCGEventSourceUnixProcessID);
    return out;
}

// The platform's event kinds as AppKit's mask bits.
inline NSEventMask eventMask(platform::EventMask mask) {
    NSEventMask out = 0;
    for (const auto& [ours, theirs] : kEventKinds)
        if (mask & platform::eventMaskFor(ours)) out |= NSEventMask(1) << theirs;
    return out;
}

} // namespace mac
