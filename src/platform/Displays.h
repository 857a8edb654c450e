#pragma once
// CoreGraphics: the online display list, what the window server knows of each display, its
// display modes and configuration transactions.

#include "platform/Geometry.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace platform {

using DisplayID = uint32_t;
using CGError = int32_t;
constexpr CGError kCGErrorSuccess = 0;
constexpr CGError kCGErrorFailure = 1000;
constexpr CGError kCGErrorIllegalArgument = 1001;

// A CGDisplayMode.
struct DisplayMode {
    int width = 0, height = 0;           // points
    int pixelWidth = 0, pixelHeight = 0; // pixels
    double refreshRate = 0;              // Hz; 0 when the display reports none
    bool usableForDesktop = true;
    bool operator==(const DisplayMode&) const = default;
};

// A CGDisplayConfigRef: 0 is none.
using DisplayConfigRef = int;
// CGConfigureOption
enum class ConfigureOption { forAppOnly = 0, forSession = 1, permanently = 2 };

class Displays {
  public:
    virtual ~Displays() = default;
    // Fills at most maxDisplays IDs in the system's order.
    virtual CGError getOnlineDisplayList(uint32_t maxDisplays, std::vector<DisplayID>& out) = 0;
    virtual bool isBuiltin(DisplayID id) = 0;
    virtual Rect bounds(DisplayID id) = 0;
    virtual DisplayID mainDisplayID() = 0;
    // CGDisplayMirrorsDisplay: the master this display mirrors, or 0.
    virtual DisplayID mirrorsDisplay(DisplayID id) = 0;

    // CGDisplayCopyAllDisplayModes with the low-resolution duplicates; none when it fails.
    virtual std::optional<std::vector<DisplayMode>> copyAllDisplayModes(DisplayID id) = 0;
    // CGDisplayCopyDisplayMode
    virtual std::optional<DisplayMode> copyDisplayMode(DisplayID id) = 0;

    virtual CGError beginDisplayConfiguration(DisplayConfigRef& config) = 0;
    virtual CGError configureDisplayWithDisplayMode(DisplayConfigRef config, DisplayID id,
                                                    const DisplayMode& mode) = 0;
    virtual CGError configureDisplayOrigin(DisplayConfigRef config, DisplayID id, int32_t x,
                                           int32_t y) = 0;
    // master 0: the display mirrors nothing.
    virtual CGError configureDisplayMirrorOfDisplay(DisplayConfigRef config, DisplayID id,
                                                    DisplayID master) = 0;
    virtual CGError completeDisplayConfiguration(DisplayConfigRef config,
                                                 ConfigureOption option) = 0;
    virtual CGError cancelDisplayConfiguration(DisplayConfigRef config) = 0;
};

} // namespace platform
