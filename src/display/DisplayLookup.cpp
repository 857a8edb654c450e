#include "app/BlackoutController.h"
#include "platform/Displays.h"
#include "platform/Platform.h"

std::optional<DisplayID> BlackoutController::displayID(const platform::Screen& screen) const {
    auto n = screen.deviceDescription.find("NSScreenNumber");
    if (!n) return std::nullopt;
    return n->uint32();
}

std::optional<platform::Screen> BlackoutController::builtInScreen() const {
    auto& p = platform::current();
    for (const auto& s : p.screens->screens())
        if (auto id = displayID(s); id && p.displays->isBuiltin(*id)) return s;
    return std::nullopt;
}

std::vector<DisplayID> BlackoutController::externalDisplayIDs() const {
    auto& p = platform::current();
    std::vector<DisplayID> out;
    for (const auto& s : p.screens->screens())
        if (auto id = displayID(s); id && !p.displays->isBuiltin(*id)) out.push_back(*id);
    return out;
}
