#pragma once
// How key codes and Carbon modifier masks are written for people. Plain C++.

#include <cstdint>
#include <optional>
#include <string>

namespace hotkeys {

// The name of a key the table knows (letters of the US layout, digits, punctuation, keypad,
// editing, navigation and function keys); none for any other code.
std::optional<std::string> listedKeyName(uint16_t keyCode);
// "⌃", "⌥", "⇧", "⌘" for the bits of the mask, in that order.
std::string modifierSymbols(uint32_t carbonMask);
// What a key typed through a layout shows: the text upper-cased, or none when the key typed
// nothing a person can read (nothing at all, or a control character).
std::optional<std::string> typedKeyName(const std::u16string& typed);

} // namespace hotkeys
