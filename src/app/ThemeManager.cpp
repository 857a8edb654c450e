#include "app/ThemeManager.h"

#include "platform/Platform.h"
#include "platform/SystemAppearance.h"

namespace {

struct SkyLight {
    unsigned long loadedFor = 0;
    platform::SystemAppearance::GetThemeFunction getThemeFn;
    platform::SystemAppearance::SetThemeFunction setThemeFn;
};

// Looked up once per machine: a test may boot another one in the same process.
SkyLight& skyLight() {
    static SkyLight s;
    auto& p = platform::current();
    if (s.loadedFor != platform::currentGeneration()) {
        s = SkyLight{platform::currentGeneration(), nullptr, nullptr};
        if (p.appearance) {
            s.getThemeFn = p.appearance->lookupGetTheme();
            s.setThemeFn = p.appearance->lookupSetTheme();
        }
    }
    return s;
}

} // namespace

bool ThemeManager::isDarkMode() {
    auto& s = skyLight();
    if (s.getThemeFn) return s.getThemeFn();
    auto* appearance = platform::current().appearance;
    return appearance && appearance->applicationAppearanceIsDark();
}

void ThemeManager::setDarkMode(bool dark) {
    if (auto& s = skyLight(); s.setThemeFn) s.setThemeFn(dark);
}
