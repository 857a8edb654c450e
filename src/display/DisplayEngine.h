#pragma once
// The display registry: every online display with its name, built-in flag and DDC service.
// Also owns the serial DDC queue and the software-dimming overlays.

#include "display/ControlledDisplay.h"
#include "platform/Screens.h"
#include "platform/SerialQueue.h"

#include <map>
#include <memory>
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

    DisplayEngine() = default;
};
