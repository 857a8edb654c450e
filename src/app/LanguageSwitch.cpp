#include "app/BlackoutController.h"
#include "appkit/Window.h"
#include "platform/Platform.h"
#include "platform/UserDefaults.h"

void BlackoutController::languageChanged(int selectedSegment) {
    auto& defaults = *platform::current().defaults;
    defaults.set("appLanguage", selectedSegment == 1 ? "en" : "ko");
    defaults.synchronize();
    recreateStatusMenu();
    // Every text is chosen when its control is built, so the window is built anew.
    if (controlWindow) {
        controlWindow->close();
        controlWindow.reset();
        showControlWindow();
    }
}
