#pragma once
// The display registry: every online display with its name, built-in flag and DDC service.
// Also owns the serial DDC queue and the software-dimming overlays.

#include "display/ControlledDisplay.h"
#include "display/DimmerOverlayWindow.h"
#include "platform/Screens.h"
#include "platform/SerialQueue.h"

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class DisplayEngine : public std::enable_shared_from_this<DisplayEngine> {
  public:
    static DisplayEngine& shared();
    // Ends the shared engine (process end, or between tests on fresh machines).
    static void tearDownShared();
    static bool hasShared();

    platform::SerialQueue ddcQueue{"Duskpane.DDC"};
    std::vector<ControlledDisplay> displays;

    void refreshDisplays();
    std::optional<ControlledDisplay> builtInDisplay() const;
    std::vector<ControlledDisplay> externalDisplays() const;
    std::optional<platform::Screen> screen(DisplayID id) const;

    // Brightness and volume are fractions 0..1; the lowest tenth of a monitor's brightness is an
    // overlay. Writes are queued on ddcQueue in order; reads and power writes wait for it.
    std::optional<float> brightness(const ControlledDisplay& display);
    void setBrightness(float value, const ControlledDisplay& display);
    void setVolume(float value, const ControlledDisplay& display);
    bool setPowerState(uint16_t value, const ControlledDisplay& display);

    // Main thread only.
    std::map<DisplayID, std::shared_ptr<DimmerOverlayWindow>> overlayWindows;

    DisplayEngine() = default;

  private:
    // The last value below 0.1 asked of each monitor: the part of its range that is an overlay.
    std::mutex softwareDimmingMutex_;
    std::map<DisplayID, float> softwareDimming_;

    // The refreshed record of the display, or the caller's own when it left the registry.
    ControlledDisplay resolve(const ControlledDisplay& display);
    void applyOverlay(DisplayID id, float alpha);
    void removeOverlaysNotIn(const std::vector<DisplayID>& online);
};
