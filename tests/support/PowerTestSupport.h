#pragma once
// The default machine (panel 1, DELL monitors 2 and 3 on DDC/CI, a TV 4 that never answers)
// with the program launched on it.

#include "app/AppTestSupport.h"
#include "appkit/Button.h"
#include "display/BrightnessController.h"
#include "display/DisplayEngine.h"
#include "platform/sim/SimBrightness.h"
#include "platform/sim/SimInput.h"
#include "platform/sim/SimWindowServer.h"

class PowerTest : public AppTest {
  protected:
    void SetUp() override {
        boot(sim::VirtualMac::defaultDescription());
        launch();
    }
    uint16_t luminance(DisplayID id) { return monitor(id).vcp(0x10)->current; }
    // The names of the system sounds played, in order.
    std::vector<std::string> sounds() {
        std::vector<std::string> out;
        for (const auto& [name, at] : mac().soundsPlayed())
            out.push_back(name);
        return out;
    }
    std::string gamma(DisplayID id) { return mac().brightness().gamma(id).kind(); }
    float panel() { return mac().description().displays[0].brightness; }
    bool hasOverlay(DisplayID id) { return DisplayEngine::shared().overlayWindows.count(id) > 0; }
    std::string tip(DisplayID id) {
        return controller().powerButtons.at(id)->toolTip().toStdString();
    }
};
