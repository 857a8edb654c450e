#pragma once
// DisplayServices, loaded at run time: the built-in panel's brightness.

#include "platform/Displays.h"

#include <cstdint>
#include <functional>

namespace platform {

class BuiltInBrightness {
  public:
    using GetFunction = std::function<int32_t(DisplayID, float* brightness)>;
    using SetFunction = std::function<int32_t(DisplayID, float brightness)>;
    virtual ~BuiltInBrightness() = default;
    // Opening the library and looking up a symbol; empty when either is missing. 0 = success.
    virtual GetFunction lookupGetBrightness() = 0;
    virtual SetFunction lookupSetBrightness() = 0;
};

} // namespace platform
