#pragma once

namespace platform {

struct Point {
    double x = 0, y = 0;
    bool operator==(const Point&) const = default;
};

// Screen rectangles in global coordinates, origin at the top left of the main display.
struct Rect {
    double x = 0, y = 0, width = 0, height = 0;
    bool operator==(const Rect&) const = default;
};

} // namespace platform
