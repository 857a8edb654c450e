#include "hotkeys/KeyNames.h"

#include "app/BlackoutController.h"
#include "platform/KeyboardLayout.h"
#include "platform/Platform.h"

#include <QString>

#include <map>

namespace hotkeys {

namespace {

const std::map<uint16_t, const char*>& keyTable() {
    static const std::map<uint16_t, const char*> table = {// Letters of the US layout.
                                                          {0, "A"},
                                                          {1, "S"},
                                                          {2, "D"},
                                                          {3, "F"},
                                                          {4, "H"},
                                                          {5, "G"},
                                                          {6, "Z"},
                                                          {7, "X"},
                                                          {8, "C"},
                                                          {9, "V"},
                                                          {11, "B"},
                                                          {12, "Q"},
                                                          {13, "W"},
                                                          {14, "E"},
                                                          {15, "R"},
                                                          {16, "Y"},
                                                          {17, "T"},
                                                          {31, "O"},
                                                          {32, "U"},
                                                          {34, "I"},
                                                          {35, "P"},
                                                          {37, "L"},
                                                          {38, "J"},
                                                          {40, "K"},
                                                          {45, "N"},
                                                          {46, "M"},
                                                          // Digit row.
                                                          {18, "1"},
                                                          {19, "2"},
                                                          {20, "3"},
                                                          {21, "4"},
                                                          {23, "5"},
                                                          {22, "6"},
                                                          {26, "7"},
                                                          {28, "8"},
                                                          {25, "9"},
                                                          {29, "0"},
                                                          // Punctuation.
                                                          {24, "="},
                                                          {27, "-"},
                                                          {30, "]"},
                                                          {33, "["},
                                                          {39, "'"},
                                                          {41, ";"},
                                                          {42, "\\"},
                                                          {43, ","},
                                                          {44, "/"},
                                                          {47, "."},
                                                          {50, "`"},
                                                          // Keypad.
                                                          {65, "[Decimal]"},
                                                          {67, "*"},
                                                          {69, "+"},
                                                          {71, "[Clear]"},
                                                          {75, "/"},
                                                          {76, "[Enter]"},
                                                          {78, "-"},
                                                          {81, "="},
                                                          {82, "0"},
                                                          {83, "1"},
                                                          {84, "2"},
                                                          {85, "3"},
                                                          {86, "4"},
                                                          {87, "5"},
                                                          {88, "6"},
                                                          {89, "7"},
                                                          {91, "8"},
                                                          {92, "9"},
                                                          // Editing and navigation.
                                                          {36, "↩"},
                                                          {48, "⇥"},
                                                          {49, "Space"},
                                                          {51, "⌫"},
                                                          {53, "⎋"},
                                                          {115, "↖"},
                                                          {116, "⇞"},
                                                          {117, "⌦"},
                                                          {119, "↘"},
                                                          {121, "⇟"},
                                                          {123, "←"},
                                                          {124, "→"},
                                                          {125, "↓"},
                                                          {126, "↑"},
                                                          // Function keys.
                                                          {122, "F1"},
                                                          {120, "F2"},
                                                          {99, "F3"},
                                                          {118, "F4"},
                                                          {96, "F5"},
                                                          {97, "F6"},
                                                          {98, "F7"},
                                                          {100, "F8"},
                                                          {101, "F9"},
                                                          {109, "F10"},
                                                          {103, "F11"},
                                                          {111, "F12"}};
    return table;
}

} // namespace

std::optional<std::string> listedKeyName(uint16_t keyCode) {
    auto it = keyTable().find(keyCode);
    if (it == keyTable().end()) return std::nullopt;
    return std::string(it->second);
}

std::string modifierSymbols(uint32_t carbonMask) {
    std::string out;
    if (carbonMask & platform::controlKey) out += "⌃";
    if (carbonMask & platform::optionKey) out += "⌥";
    if (carbonMask & platform::shiftKey) out += "⇧";
    if (carbonMask & platform::cmdKey) out += "⌘";
    return out;
}

std::optional<std::string> typedKeyName(const std::u16string& typed) {
    if (typed.empty()) return std::nullopt;
    // Function keys, Help and the like type control characters; shown as they are they
    // would be an empty-looking button.
    for (char16_t unit : typed)
        if (unit < 0x20 || unit == 0x7F) return std::nullopt;
    return QString::fromStdU16String(typed).toUpper().toStdString();
}

} // namespace hotkeys

std::string BlackoutController::keyName(uint16_t keyCode) {
    if (auto listed = hotkeys::listedKeyName(keyCode)) return *listed;
    const std::string fallback = "Key" + std::to_string(keyCode);
    auto* layouts = platform::hasCurrent() ? platform::current().keyboardLayout : nullptr;
    if (!layouts) return fallback;
    auto layout = layouts->currentASCIICapableLayoutData();
    if (!layout) return fallback;
    uint32_t deadKeyState = 0;
    std::u16string typed;
    const auto status = layouts->keyTranslate(*layout, keyCode, platform::kUCKeyActionDown, 0,
                                              layouts->keyboardType(), 0, deadKeyState, 4, typed);
    if (status != platform::noErr) return fallback;
    return hotkeys::typedKeyName(typed).value_or(fallback);
}

std::string BlackoutController::hotkeyString(uint16_t keyCode, uint32_t modifiers) {
    return hotkeys::modifierSymbols(modifiers) + keyName(keyCode);
}
