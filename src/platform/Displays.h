#pragma once
// CoreGraphics: the online display list and what the window server knows of each display.

#include "platform/Geometry.h"

#include <cstdint>
#include <vector>

namespace platform {

using DisplayID = uint32_t;
using CGError = int32_t;
constexpr CGError kCGErrorSuccess = 0;
constexpr CGError kCGErrorFailure = 1000;

class Displays {
  public:
    virtual ~Displays() = default;
    // Fills at most maxDisplays IDs in the system's order.
    virtual CGError getOnlineDisplayList(uint32_t maxDisplays, std::vector<DisplayID>& out) = 0;
    virtual bool isBuiltin(DisplayID id) = 0;
    virtual Rect bounds(DisplayID id) = 0;
    virtual DisplayID mainDisplayID() = 0;
};

} // namespace platform
