#pragma once
// AppKit places screens from the primary screen's bottom left, y upwards; Core Graphics and
// the rest of the program from its top left, y downwards.

#include "platform/Geometry.h"

namespace mac {

// The same flip turns a top-left frame back into AppKit's.
inline platform::Rect topLeftFrame(const platform::Rect& bottomLeft, double primaryHeight) {
    return {bottomLeft.x, primaryHeight - (bottomLeft.y + bottomLeft.height), bottomLeft.width,
            bottomLeft.height};
}

} // namespace mac
