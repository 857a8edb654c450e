#include "platform/sim/SimHotkeys.h"

#include "platform/RunLoop.h"

#include <QString>

namespace sim {

using platform::OSStatus;

namespace {

constexpr OSStatus paramErr = -50;
const char kLayoutMagic[4] = {'N', 'L', 'K', 'L'};

using Layout = std::map<uint16_t, KeyboardLayoutKey>;

// Keys every layout shares: the keypad, Return, Tab, Space, Delete, Escape and the keys that
// type control characters (function keys, Help, Home, End, arrows).
Layout commonKeys() {
    Layout l;
    l[36] = {"\r"};
    l[48] = {"\t"};
    l[49] = {" "};
    l[51] = {"\x08"};
    l[53] = {"\x1b"};
    l[76] = {"\x03"};
    l[52] = {"\x03"};
    l[71] = {"\x1b"};
    l[114] = {"\x05"};
    l[115] = {"\x01"};
    l[119] = {"\x04"};
    l[116] = {"\x0b"};
    l[121] = {"\x0c"};
    l[117] = {"\x7f"};
    l[123] = {"\x1c"};
    l[124] = {"\x1d"};
    l[125] = {"\x1f"};
    l[126] = {"\x1e"};
    for (uint16_t f : {122, 120, 99,  118, 96,  97,  98, 100, 101, 109,
                       103, 111, 105, 107, 113, 106, 64, 79,  80,  90})
        l[f] = {"\x10"};
    const char* keypad = "0123456789";
    const uint16_t keypadCodes[] = {82, 83, 84, 85, 86, 87, 88, 89, 91, 92};
    for (int i = 0; i < 10; ++i)
        l[keypadCodes[i]] = {std::string(1, keypad[i])};
    l[65] = {"."};
    l[67] = {"*"};
    l[69] = {"+"};
    l[75] = {"/"};
    l[78] = {"-"};
    l[81] = {"="};
    return l;
}

// Codes 0 to 50 of the typing keys, one UTF-8 text each ("" leaves the key out).
Layout withTypingKeys(const std::vector<const char*>& texts, std::vector<uint16_t> dead = {}) {
    Layout l = commonKeys();
    for (size_t code = 0; code < texts.size(); ++code)
        if (*texts[code]) l[uint16_t(code)] = {texts[code]};
    for (uint16_t d : dead)
        l[d].dead = true;
    return l;
}

const Layout& usLayout() {
    static const Layout l = withTypingKeys(
        {"a", "s", "d", "f", "h", "g", "z", "x", "c",  "v", "§", "b", "q", "w", "e", "r", "y",
         "t", "1", "2", "3", "4", "6", "5", "=", "9",  "7", "-", "8", "0", "]", "o", "u", "[",
         "i", "p", "",  "l", "j", "'", "k", ";", "\\", ",", "/", "n", "m", ".", "",  "",  "`"});
    return l;
}

const Layout& germanLayout() {
    static const Layout l = withTypingKeys(
        {"a", "s", "d", "f", "h", "g", "y", "x", "c", "v", "^", "b", "q", "w", "e", "r", "z",
         "t", "1", "2", "3", "4", "6", "5", "´", "9", "7", "ß", "8", "0", "+", "o", "u", "ü",
         "i", "p", "",  "l", "j", "ä", "k", "ö", "#", ",", "-", "n", "m", ".", "",  "",  "<"},
        {10, 24});
    return l;
}

const Layout& frenchLayout() {
    static const Layout l = withTypingKeys(
        {"q", "s", "d", "f",  "h", "g", "w", "x", "c", "v", "@", "b", "a", "z", "e", "r", "y",
         "t", "&", "é", "\"", "'", "§", "(", "-", "ç", "è", ")", "!", "à", "$", "o", "u", "^",
         "i", "p", "",  "l",  "j", "ù", "k", "m", "`", ";", "=", "n", ":", ",", "",  "",  "<"},
        {33, 42});
    return l;
}

} // namespace

const std::map<uint16_t, KeyboardLayoutKey>* knownKeyboardLayout(const std::string& name) {
    if (name == "US") return &usLayout();
    if (name == "German") return &germanLayout();
    if (name == "French") return &frenchLayout();
    return nullptr;
}

std::optional<uint16_t> usKeyCode(const std::string& text) {
    for (const auto& [code, key] : usLayout())
        if (key.text == text && uint8_t(text[0]) >= 0x20 && code != 10) return code;
    return std::nullopt;
}

SimHotkeys::SimHotkeys(platform::RunLoop& loop, std::vector<ForeignHotkey> foreign,
                       std::string layoutName, uint32_t keyboardType, std::function<void()> changed)
    : loop_(loop), foreign_(std::move(foreign)), keyboardType_(keyboardType),
      layout_(std::move(layoutName)), changed_(std::move(changed)) {}

OSStatus SimHotkeys::registerEventHotKey(uint32_t keyCode, uint32_t modifiers,
                                         platform::EventHotKeyID id, uint32_t options,
                                         platform::EventHotKeyRef& outRef) {
    outRef = 0;
    if (keyCode > 0xFFFF) return platform::eventHotKeyInvalidErr;
    // As Carbon: another application's combination refuses ours only when one side asked for it
    // alone.
    const bool exclusive = options & platform::kEventHotKeyExclusive;
    for (const auto& f : foreign_)
        if (f.code == keyCode && f.modifiers == modifiers && (f.exclusive || exclusive))
            return platform::eventHotKeyExistsErr;
    for (const auto& [ref, r] : own_)
        if (r.code == keyCode && r.modifiers == modifiers) return platform::eventHotKeyExistsErr;
    outRef = next_++;
    own_[outRef] = Registration{uint16_t(keyCode), modifiers, ownApplication, id};
    if (changed_) changed_();
    return platform::noErr;
}

OSStatus SimHotkeys::unregisterEventHotKey(platform::EventHotKeyRef ref) {
    if (!own_.erase(ref)) return platform::eventHotKeyInvalidErr;
    if (changed_) changed_();
    return platform::noErr;
}

uint64_t SimHotkeys::installHotKeyPressedHandler(Handler handler) {
    handlers_[next_] = std::move(handler);
    return next_++;
}

void SimHotkeys::removeEventHandler(uint64_t handlerRef) {
    handlers_.erase(handlerRef);
}

bool SimHotkeys::press(uint16_t code, uint32_t modifiers) {
    // Held twice, the press goes to the application that held it first (which one a Mac picks is
    // not documented).
    for (const auto& f : foreign_)
        if (f.code == code && f.modifiers == modifiers) {
            foreignPresses_.push_back(f.application + ": " + std::to_string(code) + " " +
                                      std::to_string(modifiers));
            return true;
        }
    for (const auto& [ref, r] : own_) {
        if (r.code != code || r.modifiers != modifiers) continue;
        // The event is dispatched on the main thread, like any other Carbon event.
        const platform::EventHotKeyID id = r.id;
        loop_.async([this, id] {
            struct Pressed : platform::HotkeyPressedEvent {
                platform::EventHotKeyID id;
                OSStatus directObject(platform::EventHotKeyID& out) const override {
                    out = id;
                    return platform::noErr;
                }
            } event;
            event.id = id;
            sendPressedEvent(event);
        });
        return true;
    }
    return false;
}

void SimHotkeys::sendPressedEvent(const platform::HotkeyPressedEvent& event) {
    auto handlers = handlers_; // a handler may remove itself
    for (const auto& [token, h] : handlers)
        h(event);
}

std::vector<SimHotkeys::Registration> SimHotkeys::registrations() const {
    std::vector<Registration> out;
    for (const auto& [ref, r] : own_)
        out.push_back(r);
    for (const auto& f : foreign_)
        out.push_back(Registration{f.code, f.modifiers, f.application, {}});
    return out;
}

std::optional<std::vector<uint8_t>> SimHotkeys::currentASCIICapableLayoutData() {
    auto* layout = knownKeyboardLayout(layout_);
    if (!layout) return std::nullopt;
    // Encoded as the system hands it out: bytes the caller passes back for translation.
    std::vector<uint8_t> data(kLayoutMagic, kLayoutMagic + 4);
    for (const auto& [code, key] : *layout) {
        data.push_back(uint8_t(code >> 8));
        data.push_back(uint8_t(code));
        data.push_back(key.dead ? 1 : 0);
        data.push_back(uint8_t(key.text.size()));
        data.insert(data.end(), key.text.begin(), key.text.end());
    }
    return data;
}

OSStatus SimHotkeys::keyTranslate(const std::vector<uint8_t>& layout, uint16_t keyCode,
                                  uint16_t keyAction, uint32_t modifierKeyState,
                                  uint32_t keyboardType, uint32_t, uint32_t& deadKeyState,
                                  size_t maxLength, std::u16string& out) {
    out.clear();
    if (layout.size() < 4 || !std::equal(kLayoutMagic, kLayoutMagic + 4, layout.begin()))
        return paramErr;
    if (keyAction != platform::kUCKeyActionDown || modifierKeyState != 0) return paramErr;
    // The whole table must hold together before any of it is used.
    for (size_t at = 4; at < layout.size();) {
        if (layout.size() - at < 4 || layout.size() - at - 4 < layout[at + 3]) return paramErr;
        at += 4 + layout[at + 3];
    }
    // The ISO table; any type the layout does not list gets the first (ANSI) one.
    if (keyboardType == kIsoKeyboard && (keyCode == 10 || keyCode == 50))
        keyCode = keyCode == 10 ? 50 : 10;
    for (size_t at = 4; at < layout.size();) {
        const uint16_t code = uint16_t(layout[at] << 8 | layout[at + 1]);
        const bool dead = layout[at + 2] != 0;
        const size_t length = layout[at + 3];
        at += 4;
        if (code == keyCode) {
            if (dead && deadKeyState == 0) {
                deadKeyState = 1; // waits for the next key
                return platform::noErr;
            }
            const QString text = QString::fromUtf8(
                reinterpret_cast<const char*>(layout.data() + at), qsizetype(length));
            out = text.toStdU16String().substr(0, maxLength);
            return platform::noErr;
        }
        at += length;
    }
    return platform::noErr; // a key the layout does not type
}

} // namespace sim
