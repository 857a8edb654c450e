#pragma once
// Which display modes a display's card offers: a short list curated from everything the
// display reports, with the current mode always among them.

#include "platform/Displays.h"

#include <optional>
#include <string>
#include <vector>

namespace modes {

using DisplayMode = platform::DisplayMode;

// Fewer points than pixels across.
bool isHiDPI(const DisplayMode& mode);
bool areDisplayModesEqual(const DisplayMode& a, const DisplayMode& b);
// allModes: every mode the display reports, duplicates of low resolution included; none when
// they could not be copied. The result is sorted by point width, point height, pixel width and
// refresh rate, and holds the current mode when there is one.
std::vector<DisplayMode>
recommendedScalingModes(const std::optional<std::vector<DisplayMode>>& allModes, bool isBuiltIn,
                        const std::optional<DisplayMode>& current);
// "1440 x 900 (60Hz)", with " (저해상도)" for a mode without HiDPI when the catalogue has a
// HiDPI mode of the same point size.
std::string resolutionTitle(const DisplayMode& mode, const std::vector<DisplayMode>& catalogue);

} // namespace modes
