#pragma once
// Text input sources and key translation (Carbon's TIS and UCKeyTranslate).

#include "platform/Hotkeys.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

constexpr uint16_t kUCKeyActionDown = 0;

class KeyboardLayout {
  public:
    virtual ~KeyboardLayout() = default;
    // The Unicode key layout data of the current ASCII-capable input source; none without
    // such a source or when it has no layout data.
    virtual std::optional<std::vector<uint8_t>> currentASCIICapableLayoutData() = 0;
    // The physical keyboard's type (LMGetKbdType), which UCKeyTranslate matches against the
    // layout's keyboard-type tables; a layout type such as KBGetLayoutType's 'ISO ' matches
    // none of them, so ISO and JIS keys would be named from the first table.
    virtual uint32_t keyboardType() = 0;
    // Translates one key; at most maxLength UTF-16 units come back in out.
    virtual OSStatus keyTranslate(const std::vector<uint8_t>& layout, uint16_t keyCode,
                                  uint16_t keyAction, uint32_t modifierKeyState,
                                  uint32_t keyboardType, uint32_t options, uint32_t& deadKeyState,
                                  size_t maxLength, std::u16string& out) = 0;
};

} // namespace platform
