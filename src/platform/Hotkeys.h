#pragma once
// System-wide key combinations (the Carbon hotkey service) and the press event it sends.

#include "platform/Events.h"

#include "platform/CarbonTypes.h"

#include <cstdint>
#include <functional>

namespace platform {

constexpr OSStatus noErr = 0;
constexpr OSStatus eventHotKeyExistsErr = -9878;
constexpr OSStatus eventHotKeyInvalidErr = -9879;
// Registration option: no other process may register the combination while it is held.
constexpr uint32_t kEventHotKeyExclusive = 1u << 0;
constexpr OSStatus eventParameterNotFoundErr = -9870;

// Carbon modifier bits.
constexpr uint32_t cmdKey = 256;
constexpr uint32_t shiftKey = 512;
constexpr uint32_t optionKey = 2048;
constexpr uint32_t controlKey = 4096;

struct EventHotKeyID {
    uint32_t signature = 0;
    uint32_t id = 0;
};

using EventHotKeyRef = uint64_t; // 0: none

// A hotkey-pressed event; its direct-object parameter is the hotkey's identifier.
class HotkeyPressedEvent {
  public:
    virtual ~HotkeyPressedEvent() = default;
    // GetEventParameter(kEventParamDirectObject, typeEventHotKeyID, size 8).
    virtual OSStatus directObject(EventHotKeyID& out) const = 0;
};

class Hotkeys {
  public:
    using Handler = std::function<OSStatus(const HotkeyPressedEvent&)>;
    virtual ~Hotkeys() = default;
    // On the application event target. eventHotKeyExistsErr for a combination this process
    // holds, or one another process holds exclusively (any other's, asked with
    // kEventHotKeyExclusive); another's plain registration refuses nothing.
    virtual OSStatus registerEventHotKey(uint32_t keyCode, uint32_t modifiers, EventHotKeyID id,
                                         uint32_t options, EventHotKeyRef& outRef) = 0;
    virtual OSStatus unregisterEventHotKey(EventHotKeyRef ref) = 0;
    // Class keyboard, kind hotkey-pressed, on the application event target. Returns the
    // handler's reference (0 when it could not be installed).
    virtual uint64_t installHotKeyPressedHandler(Handler handler) = 0;
    virtual void removeEventHandler(uint64_t handlerRef) = 0;
};

// The Carbon mask of the four modifiers an event carries, and back.
constexpr uint32_t carbonModifiers(const ModifierFlags& flags) {
    return (flags.command ? cmdKey : 0) | (flags.option ? optionKey : 0) |
           (flags.control ? controlKey : 0) | (flags.shift ? shiftKey : 0);
}
constexpr ModifierFlags modifierFlags(uint32_t carbon) {
    ModifierFlags f;
    f.command = carbon & cmdKey;
    f.shift = carbon & shiftKey;
    f.option = carbon & optionKey;
    f.control = carbon & controlKey;
    return f;
}

} // namespace platform
