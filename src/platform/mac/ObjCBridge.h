#pragma once
// Strings and events between Objective-C and the platform's types (Objective-C++ only).

#include "platform/InputActivity.h"

#include <AppKit/AppKit.h>

#include <string>

namespace mac {

inline NSString* ns(const std::string& text) {
    return [NSString stringWithUTF8String:text.c_str()];
}

inline std::string str(NSString* text) {
    const char* utf8 = text ? text.UTF8String : nullptr;
    return utf8 ? std::string(utf8) : std::string();
}

inline platform::EventType eventType(NSEventType type) {
    using platform::EventType;
    switch (type) {
    case NSEventTypeLeftMouseDown:
        return EventType::leftMouseDown;
    case NSEventTypeLeftMouseUp:
        return EventType::leftMouseUp;
    case NSEventTypeRightMouseDown:
        return EventType::rightMouseDown;
    case NSEventTypeRightMouseUp:
        return EventType::rightMouseUp;
    case NSEventTypeOtherMouseDown:
        return EventType::otherMouseDown;
    case NSEventTypeScrollWheel:
        return EventType::scrollWheel;
    case NSEventTypeMouseMoved:
        return EventType::mouseMoved;
    case NSEventTypeKeyDown:
        return EventType::keyDown;
    case NSEventTypeFlagsChanged:
        return EventType::flagsChanged;
    default:
        return EventType::other;
    }
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
    using platform::EventType;
    NSEventMask out = 0;
    const std::pair<EventType, NSEventType> kinds[] = {
        {EventType::leftMouseDown, NSEventTypeLeftMouseDown},
        {EventType::leftMouseUp, NSEventTypeLeftMouseUp},
        {EventType::rightMouseDown, NSEventTypeRightMouseDown},
        {EventType::rightMouseUp, NSEventTypeRightMouseUp},
        {EventType::otherMouseDown, NSEventTypeOtherMouseDown},
        {EventType::scrollWheel, NSEventTypeScrollWheel},
        {EventType::mouseMoved, NSEventTypeMouseMoved},
        {EventType::keyDown, NSEventTypeKeyDown},
        {EventType::flagsChanged, NSEventTypeFlagsChanged}};
    for (const auto& [ours, theirs] : kinds)
        if (mask & platform::eventMaskFor(ours)) out |= NSEventMask(1) << theirs;
    return out;
}

} // namespace mac
