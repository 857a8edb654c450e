#include "app/BlackoutController.h"
#include "blackout/BlackoutWindow.h"
#include "display/BrightnessController.h"
#include "platform/Applications.h"
#include "platform/Cursor.h"
#include "platform/Platform.h"
#include "platform/RunLoop.h"
#include "platform/Screens.h"

namespace {

constexpr int kScreenSaverLevel = 1000;
constexpr double kSliderReload = 0.2;

} // namespace

void BlackoutController::start() {
    if (window) {
        window->makeKeyAndOrderFront();
        return;
    }
    auto& p = platform::current();
    std::optional<platform::Screen> screen = builtInScreen();
    if (!screen) {
        auto all = p.screens->screens();
        if (!all.empty()) screen = all.front(); // the main screen comes first
    }
    if (!screen) {
        showAlert(t("화면을 찾을 수 없습니다", "Display Not Found"),
                  t("검정 화면을 표시할 디스플레이를 찾지 못했습니다.",
                    "Failed to find display to black out."));
        return;
    }
    auto id = displayID(*screen);
    if (!id) {
        showAlert(t("화면을 찾을 수 없습니다", "Display Not Found"),
                  t("밝기를 조절할 디스플레이 정보를 찾지 못했습니다.",
                    "Failed to find display brightness information."));
        return;
    }

    auto black = std::make_shared<BlackoutWindow>(screen->frame, appkit::StyleMask::borderless,
                                                  appkit::BackingStore::buffered, false);
    black->setBackgroundColor(appkit::blackColor);
    black->setOpaque(true);
    black->setHasShadow(false);
    black->setRestorable(false);
    black->setLevel(kScreenSaverLevel);
    black->setCollectionBehavior(appkit::CollectionBehavior::canJoinAllSpaces |
                                 appkit::CollectionBehavior::fullScreenAuxiliary |
                                 appkit::CollectionBehavior::stationary |
                                 appkit::CollectionBehavior::ignoresCycle);
    black->setIgnoresMouseEvents(false);
    black->setAcceptsMouseMovedEvents(true);
    black->setFrame(screen->frame, true);

    window = black;
    isProtecting = true;
    p.applications->activateIgnoringOtherApps();
    window->makeKeyAndOrderFront();
    brightnessController->dim(*id, externalDisplayIDs());
}

void BlackoutController::stop() {
    // Escape ends remote standby whole (assertion, keyboard, idle timer), not only its screens.
    if (isRemoteStandbyActive) {
        exitRemoteStandby();
        updateIdleTimerState();
    }
    brightnessController->restore();
    if (window) {
        window->orderOut();
        // stop() may run inside the window's own event handler: let it return first.
        platform::mainQueue().async([ended = std::move(window)] {});
    }
    window.reset();
    isProtecting = false;
    restorePoweredOffDisplays();
    // Escape brings everything back: a switched-off display that is unplugged now leaves the
    // off list and is lit when it is plugged in.
    releaseUnpluggedOffDisplays({});
    platform::mainQueue().asyncAfter(kSliderReload, [] {
        if (!hasShared()) return;
        shared().refreshBuiltInBaseline();
        shared().loadBrightnessValues();
    });
}

void BlackoutController::setCursorHidden(bool hidden) {
    auto* cursor = platform::current().cursor;
    if (hidden) {
        if (isCursorHiddenGlobally) return;
        if (cursor) cursor->hide();
        isCursorHiddenGlobally = true;
    } else {
        if (!isCursorHiddenGlobally) return;
        if (cursor) cursor->unhide();
        isCursorHiddenGlobally = false;
    }
}
