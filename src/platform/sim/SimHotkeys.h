#pragma once
// The virtual Mac's hotkey service and keyboard layouts. Combinations are held by this program
// or by other applications the machine names; a press goes to whoever holds it.

#include "platform/Hotkeys.h"
#include "platform/KeyboardLayout.h"
#include "platform/sim/MachineDescription.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace platform {
class RunLoop;
}

namespace sim {

struct KeyboardLayoutKey {
    std::string text;  // UTF-8, what the key types without modifiers
    bool dead = false; // a dead key types nothing by itself
};

// The layouts the virtual Mac knows: "US", "German", "French".
const std::map<uint16_t, KeyboardLayoutKey>* knownKeyboardLayout(const std::string& name);
// The key code that types this text on the US layout (lower case), if any.
std::optional<uint16_t> usKeyCode(const std::string& text);

class SimHotkeys : public platform::Hotkeys, public platform::KeyboardLayout {
  public:
    static constexpr const char* ownApplication = "Nightlid";
    struct Registration {
        uint16_t code;
        uint32_t modifiers;
        std::string owner;
        platform::EventHotKeyID id;
    };

    // layoutName empty: no layout data.
    // The virtual Mac's keyboard types (a Mac knows many more); the layouts' ISO table differs
    // from the ANSI one in the two keys whose places the keyboards swap (codes 10 and 50).
    static constexpr uint32_t kAnsiKeyboard = 40, kIsoKeyboard = 41, kJisKeyboard = 42;
    SimHotkeys(platform::RunLoop& loop, std::vector<ForeignHotkey> foreign, std::string layoutName,
               uint32_t keyboardType, std::function<void()> changed);

    platform::OSStatus registerEventHotKey(uint32_t keyCode, uint32_t modifiers,
                                           platform::EventHotKeyID id, uint32_t options,
                                           platform::EventHotKeyRef& outRef) override;
    platform::OSStatus unregisterEventHotKey(platform::EventHotKeyRef ref) override;
    uint64_t installHotKeyPressedHandler(Handler handler) override;
    void removeEventHandler(uint64_t handlerRef) override;

    std::optional<std::vector<uint8_t>> currentASCIICapableLayoutData() override;
    uint32_t keyboardType() override { return keyboardType_; }
    platform::OSStatus keyTranslate(const std::vector<uint8_t>& layout, uint16_t keyCode,
                                    uint16_t keyAction, uint32_t modifierKeyState,
                                    uint32_t keyboardType, uint32_t options, uint32_t& deadKeyState,
                                    size_t maxLength, std::u16string& out) override;

    // A key pressed with these modifiers: the holder of the combination gets it (true), or
    // nobody holds it (false) and it goes on as an ordinary key.
    bool press(uint16_t code, uint32_t modifiers);
    // Hands an event to every installed handler at once, as the event dispatcher does.
    void sendPressedEvent(const platform::HotkeyPressedEvent& event);

    // Every held combination, this program's first, by code and mask.
    std::vector<Registration> registrations() const;
    const std::string& layoutName() const { return layout_; }
    // Presses that went to another application, as "APP: CODE MASK".
    const std::vector<std::string>& foreignPresses() const { return foreignPresses_; }
    int handlerCount() const { return int(handlers_.size()); }

  private:
    platform::RunLoop& loop_;
    std::vector<ForeignHotkey> foreign_;
    uint32_t keyboardType_;
    std::string layout_;
    std::function<void()> changed_;
    std::map<platform::EventHotKeyRef, Registration> own_;
    std::map<uint64_t, Handler> handlers_;
    uint64_t next_ = 1;
    std::vector<std::string> foreignPresses_;
};

} // namespace sim
