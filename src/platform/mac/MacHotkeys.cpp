// Carbon's global hotkeys and the application target's hot-key-pressed handler; the current
// keyboard layout and key translation.

#include "platform/mac/CFValues.h"
#include "platform/mac/Handles.h"
#include "platform/mac/MacServices.h"

#include <Carbon/Carbon.h>

#include <cstring>
#include <memory>

namespace mac {

namespace {

class CarbonHotkeyEvent : public platform::HotkeyPressedEvent {
  public:
    explicit CarbonHotkeyEvent(EventRef event) : event_(event) {}
    platform::OSStatus directObject(platform::EventHotKeyID& out) const override {
        ::EventHotKeyID id{};
        ByteCount actual = 0;
        const OSStatus status = GetEventParameter(
            event_, kEventParamDirectObject, typeEventHotKeyID, nullptr, sizeof id, &actual, &id);
        if (status != noErr) return status;
        // Less than the whole identifier is no identifier.
        if (actual != sizeof id) return platform::eventParameterNotFoundErr;
        out = {id.signature, id.id};
        return noErr;
    }

  private:
    EventRef event_;
};

class MacHotkeys : public platform::Hotkeys {
  public:
    ~MacHotkeys() override {
        handlers_.forEach([](Installed& h) { RemoveEventHandler(h.ref); });
        hotkeys_.forEach([](EventHotKeyRef& ref) { UnregisterEventHotKey(ref); });
    }

    platform::OSStatus registerEventHotKey(uint32_t keyCode, uint32_t modifiers,
                                           platform::EventHotKeyID id, uint32_t options,
                                           platform::EventHotKeyRef& outRef) override {
        outRef = 0;
        EventHotKeyRef ref = nullptr;
        // eventHotKeyExistsErr (ours already, or another's held exclusively) passed on as it is.
        const OSStatus status = RegisterEventHotKey(keyCode, modifiers, {id.signature, id.id},
                                                    GetApplicationEventTarget(), options, &ref);
        if (status == noErr && ref) outRef = hotkeys_.add(ref);
        return status;
    }
    platform::OSStatus unregisterEventHotKey(platform::EventHotKeyRef ref) override {
        auto native = hotkeys_.take(ref);
        if (!native) return platform::eventHotKeyInvalidErr;
        return UnregisterEventHotKey(*native);
    }
    uint64_t installHotKeyPressedHandler(Handler handler) override {
        auto kept = std::make_unique<Handler>(std::move(handler));
        const EventTypeSpec pressed{kEventClassKeyboard, kEventHotKeyPressed};
        EventHandlerRef ref = nullptr;
        if (InstallEventHandler(GetApplicationEventTarget(),
                                NewEventHandlerUPP(&MacHotkeys::pressed), 1, &pressed, kept.get(),
                                &ref) != noErr ||
            !ref)
            return 0;
        return handlers_.add({ref, std::move(kept)});
    }
    void removeEventHandler(uint64_t handlerRef) override {
        if (auto installed = handlers_.take(handlerRef)) RemoveEventHandler(installed->ref);
    }

  private:
    struct Installed {
        EventHandlerRef ref;
        std::unique_ptr<Handler> handler;
    };

    static OSStatus pressed(EventHandlerCallRef, EventRef event, void* handler) {
        const CarbonHotkeyEvent hotkey(event);
        return (*static_cast<Handler*>(handler))(hotkey);
    }

    HandleTable<EventHotKeyRef> hotkeys_;
    HandleTable<Installed> handlers_;
};

// The fixed part of a Unicode keyboard layout: format, version, feature offset, the count of
// keyboard types and the first type's seven offsets.
constexpr size_t kLayoutHeaderSize = 2 + 2 + 4 + 4 + 7 * 4;
constexpr uint16_t kUnicodeLayoutFormat = 0x1002;

class MacKeyboardLayout : public platform::KeyboardLayout {
  public:
    std::optional<std::vector<uint8_t>> currentASCIICapableLayoutData() override {
        CFRef<TISInputSourceRef> source(TISCopyCurrentASCIICapableKeyboardLayoutInputSource());
        if (!source) return std::nullopt;
        const auto data = static_cast<CFDataRef>(
            TISGetInputSourceProperty(source.get(), kTISPropertyUnicodeKeyLayoutData));
        if (!data || CFGetTypeID(data) != CFDataGetTypeID()) return std::nullopt;
        // The data belongs to the source: copied before the source goes.
        const UInt8* bytes = CFDataGetBytePtr(data);
        const CFIndex length = CFDataGetLength(data);
        if (!bytes || length <= 0) return std::nullopt;
        return std::vector<uint8_t>(bytes, bytes + length);
    }
    uint32_t keyboardType() override { return LMGetKbdType(); }
    platform::OSStatus keyTranslate(const std::vector<uint8_t>& layout, uint16_t keyCode,
                                    uint16_t keyAction, uint32_t modifierKeyState,
                                    uint32_t keyboardType, uint32_t options, uint32_t& deadKeyState,
                                    size_t maxLength, std::u16string& out) override {
        out.clear();
        // UCKeyTranslate trusts the layout: anything but one would be read past its end.
        if (!plausibleLayout(layout)) return kInvalidLayout;
        std::vector<UniChar> units(maxLength > 0 ? maxLength : 1);
        UniCharCount actual = 0;
        UInt32 dead = deadKeyState;
        const OSStatus status = UCKeyTranslate(
            reinterpret_cast<const UCKeyboardLayout*>(layout.data()), keyCode, keyAction,
            modifierKeyState, keyboardType, options, &dead, maxLength, &actual, units.data());
        deadKeyState = dead;
        if (status != noErr) return status;
        out.assign(units.begin(), units.begin() + long(actual < maxLength ? actual : maxLength));
        return status;
    }

  private:
    static constexpr OSStatus kInvalidLayout = -50; // paramErr
    static bool plausibleLayout(const std::vector<uint8_t>& layout) {
        if (layout.size() < kLayoutHeaderSize) return false;
        uint16_t format = 0;
        uint32_t types = 0;
        std::memcpy(&format, layout.data(), 2);
        std::memcpy(&types, layout.data() + 8, 4);
        return format == kUnicodeLayoutFormat && types >= 1 &&
               types <= (layout.size() - 12) / (7 * 4);
    }
};

} // namespace

std::unique_ptr<platform::Hotkeys> makeHotkeys() {
    return std::make_unique<MacHotkeys>();
}
std::unique_ptr<platform::KeyboardLayout> makeKeyboardLayout() {
    return std::make_unique<MacKeyboardLayout>();
}

} // namespace mac
