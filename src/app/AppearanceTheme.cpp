#include "app/BlackoutController.h"
#include "app/ThemeManager.h"
#include "appkit/Button.h"
#include "appkit/SegmentedControl.h"
#include "appkit/Window.h"
#include "platform/Platform.h"
#include "platform/SystemAppearance.h"
#include "platform/UserDefaults.h"

void BlackoutController::appearanceButtonClicked() {
    if (!controlWindow) return;
    auto& defaults = *platform::current().defaults;
    if (controlWindow->effectiveAppearance() == appkit::Appearance::darkAqua) {
        controlWindow->setAppearance(appkit::Appearance::aqua);
        defaults.set("appTheme", "light");
    } else {
        controlWindow->setAppearance(appkit::Appearance::darkAqua);
        defaults.set("appTheme", "dark");
    }
    defaults.synchronize();
    updateAppearanceButtonIcon();
}

void BlackoutController::updateAppearanceButtonIcon() {
    bool dark;
    if (controlWindow) {
        dark = controlWindow->effectiveAppearance() == appkit::Appearance::darkAqua;
    } else {
        auto* system = platform::current().appearance;
        dark = system && system->applicationAppearanceIsDark();
    }
    if (!appearanceButton) return;
    if (dark)
        appearanceButton->setImage("moon.fill", t("다크 모드", "Dark Mode"));
    else
        appearanceButton->setImage("sun.max.fill", t("라이트 모드", "Light Mode"));
    appearanceButton->setTitle("");
    appearanceButton->setToolTip(
        QString::fromStdString(t("앱 화면 스타일 전환", "Toggle App Theme")));
}

void BlackoutController::systemThemeChanged(appkit::SegmentedControl& control) {
    ThemeManager::setDarkMode(control.selectedSegment() == 1);
}
