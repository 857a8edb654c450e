#pragma once
// Status codes and four-character codes, as the Mac's C interfaces use them.

#include <cstdint>

namespace platform {

using OSStatus = int32_t;

constexpr uint32_t fourCharCode(const char (&code)[5]) {
    return uint32_t(uint8_t(code[0])) << 24 | uint32_t(uint8_t(code[1])) << 16 |
           uint32_t(uint8_t(code[2])) << 8 | uint32_t(uint8_t(code[3]));
}

} // namespace platform
