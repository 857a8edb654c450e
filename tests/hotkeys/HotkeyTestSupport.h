#pragma once
// The program launched on a machine whose hotkeys are pressed from other applications.

#include "app/AppTestSupport.h"
#include "display/DisplayEngine.h"
#include "hotkeys/HotkeyButton.h"
#include "platform/Hotkeys.h"
#include "platform/sim/SimBrightness.h"
#include "platform/sim/SimHotkeys.h"
#include "platform/sim/SimInput.h"

#include <algorithm>

class HotkeyTest : public AppTest {
  protected:
    static constexpr uint32_t ctrlOptCmd = 6400;

    void pressElsewhere(uint16_t code, uint32_t mask) {
        mac().input().pressKeyInOtherApplication(code, platform::modifierFlags(mask));
        advance();
    }
    void pressHere(uint16_t code, uint32_t mask = 0) {
        mac().input().pressKeyInApplication(code, platform::modifierFlags(mask));
        advance();
    }
    void hold(uint32_t mask) {
        mac().input().changeFlags(platform::modifierFlags(mask));
        advance();
    }
    std::string gamma(DisplayID id) { return mac().brightness().gamma(id).kind(); }
    // Our registrations as "display:code/mask", in display order.
    std::vector<std::string> held() {
        std::vector<std::string> out;
        for (const auto& r : mac().hotkeys().registrations())
            if (r.owner == sim::SimHotkeys::ownApplication)
                out.push_back(std::to_string(r.id.id) + ":" + std::to_string(r.code) + "/" +
                              std::to_string(r.modifiers));
        std::sort(out.begin(), out.end());
        return out;
    }
    hotkeys::HotkeyButton& button(DisplayID id) {
        return *dynamic_cast<hotkeys::HotkeyButton*>(controller().hotkeyButtons.at(id).data());
    }
    void english() {
        defaults().set("appLanguage", "en");
        controller().languageChanged(1);
        advance();
    }
};
