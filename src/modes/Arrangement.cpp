// The display cards' arrangement choice: main display, extended desktop or mirror, each one
// configuration transaction that keeps the relative layout.

#include "app/BlackoutController.h"
#include "app/ControlWindowParts.h"
#include "platform/Displays.h"
#include "platform/Platform.h"
#include "ui/StyledPopUpButton.h"

#include <algorithm>
#include <optional>

namespace {

constexpr uint32_t kMaxOnlineDisplays = 16;

} // namespace

QWidget* BlackoutController::buildArrangementRow(const ControlledDisplay& display, int position) {
    const int tag = arrangementPopUpTagBase + position;
    auto* popup = new ui::StyledPopUpButton;
    popup->setTag(tag);
    popup->setAction([this](appkit::PopUpButton& p) { displayModeChanged(&p); });
    modeSegments[tag] = display;
    popup->removeAllItems();
    popup->addItem(t("주 디스플레이", "Main Display"));
    popup->addItem(t("확장된 디스플레이", "Extended Display"));
    popup->addItem(t("화면 미러링", "Mirror Display"));
    auto* displays = platform::current().displays;
    int choice = 1;
    if (displays && displays->mainDisplayID() == display.id)
        choice = 0;
    else if (displays && displays->mirrorsDisplay(display.id) != 0)
        choice = 2;
    popup->selectItem(choice);
    popup->setFixedWidth(220);
    return controlwindow::row({popup}, false);
}

void BlackoutController::displayModeChanged(QWidget* sender) {
    auto* popup = dynamic_cast<appkit::PopUpButton*>(sender);
    if (!popup) return;
    auto display = modeSegments.find(popup->tag());
    if (display == modeSegments.end()) return;
    changeDisplayMode(display->second.id, popup->indexOfSelectedItem());
}

void BlackoutController::changeDisplayMode(DisplayID id, int choice) {
    auto* displays = platform::current().displays;
    if (!displays) return;
    std::vector<DisplayID> online;
    if (displays->getOnlineDisplayList(kMaxOnlineDisplays, online) != platform::kCGErrorSuccess)
        return;
    platform::DisplayConfigRef config = 0;
    if (displays->beginDisplayConfiguration(config) != platform::kCGErrorSuccess || config == 0)
        return;

    // Moves every display by the same offset so that this one sits at the origin, the main one.
    auto makeOrigin = [&](DisplayID origin) {
        const auto base = displays->bounds(origin);
        for (auto other : online) {
            const auto b = displays->bounds(other);
            displays->configureDisplayOrigin(config, other, int32_t(b.x - base.x),
                                             int32_t(b.y - base.y));
        }
    };
    auto firstOther = [&]() -> DisplayID {
        for (auto other : online)
            if (other != id) return other;
        return 0;
    };
    const DisplayID main = displays->mainDisplayID();
    switch (choice) {
    case 0:
        if (displays->mirrorsDisplay(id) != 0) {
            // A mirror shares its master's place: it takes the origin, and the rest of the
            // desktop moves as one to its right, so nothing overlaps it (one shifted by its width
            // alone may still overlap it: a display left of the old main one).
            const auto own = displays->bounds(id);
            std::optional<double> leftmost;
            for (auto other : online)
                if (other != id && displays->mirrorsDisplay(other) == 0)
                    leftmost = std::min(leftmost.value_or(displays->bounds(other).x),
                                        displays->bounds(other).x);
            displays->configureDisplayMirrorOfDisplay(config, id, 0);
            displays->configureDisplayOrigin(config, id, 0, 0);
            for (auto other : online) {
                if (other == id || displays->mirrorsDisplay(other) != 0) continue;
                const auto b = displays->bounds(other);
                displays->configureDisplayOrigin(
                    config, other, int32_t(b.x - leftmost.value_or(0) + own.width), int32_t(b.y));
            }
            break;
        }
        displays->configureDisplayMirrorOfDisplay(config, id, 0);
        makeOrigin(id);
        break;
    case 1:
        if (id == main) {
            if (auto other = firstOther()) {
                displays->configureDisplayMirrorOfDisplay(config, id, 0);
                makeOrigin(other);
            }
        } else {
            displays->configureDisplayMirrorOfDisplay(config, id, 0);
        }
        break;
    case 2: {
        DisplayID master = main;
        if (master == id)
            if (auto other = firstOther()) {
                master = other;
                makeOrigin(other);
            }
        displays->configureDisplayMirrorOfDisplay(config, id, master);
        break;
    }
    default:
        break;
    }
    if (displays->completeDisplayConfiguration(config, platform::ConfigureOption::permanently) !=
        platform::kCGErrorSuccess)
        displays->cancelDisplayConfiguration(config);
    scheduleRebuildAfterConfiguration();
}
