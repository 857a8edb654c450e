#pragma once
// CoreDisplay's EDID-derived information dictionary of a display.

#include "platform/Displays.h"
#include "platform/Value.h"

#include <optional>

namespace platform {

class CoreDisplayInfo {
  public:
    virtual ~CoreDisplayInfo() = default;
    // Absent when the private call is missing or knows nothing of the display.
    virtual std::optional<Value> createInfoDictionary(DisplayID id) = 0;
};

} // namespace platform
