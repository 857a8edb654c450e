#include "app/BlackoutController.h"
#include "appkit/Window.h"
#include "display/DisplayEngine.h"
#include "platform/Applications.h"
#include "platform/Platform.h"
#include "platform/RunLoop.h"
#include "platform/Screens.h"
#include "platform/Sounds.h"
#include "platform/UserDefaults.h"
#include "zen/ZenSettingsPanel.h"
#include "zen/ZenView.h"
#include "zen/ZenWindow.h"

#include <algorithm>
#include <limits>

namespace {

constexpr float kZenDimmed = 0.02f;

void playSound(const char* name) {
    if (auto* sounds = platform::current().sounds) sounds->play(name);
}

} // namespace

void BlackoutController::zenButtonClicked() {
    if (isZenModeActive)
        stopZenMode(false);
    else
        showZenSettings();
}

void BlackoutController::showZenSettings() {
    if (!zenSettingsPanel) {
        auto panel = std::make_shared<zen::ZenSettingsPanel>(
            [](int minutes) {
                if (hasShared()) shared().startZenMode(minutes);
            },
            isEnglish());
        panel->onClose = [] {
            // Later: the panel is still running its own close.
            platform::mainQueue().async([] {
                if (hasShared()) shared().zenSettingsPanel.reset();
            });
        };
        zenSettingsPanel = panel;
    }
    zenSettingsPanel->makeKeyAndOrderFront();
    platform::current().applications->activateIgnoringOtherApps();
}

zen::ZenView* BlackoutController::primaryZenView() const {
    auto it = zenWindows.find(zenPrimaryDisplayID);
    return it == zenWindows.end() ? nullptr : it->second->zenView();
}

void BlackoutController::startZenMode(int durationMin) {
    if (isZenModeActive) return;
    // Minutes come from a panel that allows 1 to 60; anything else would overflow.
    if (durationMin <= 0 || durationMin > std::numeric_limits<int>::max() / 60) return;
    isZenModeActive = true;
    zenSecondsRemaining = durationMin * 60;
    playSound("Glass");
    auto& p = platform::current();
    p.applications->setActivationPolicy(platform::ActivationPolicy::accessory);

    zenOriginalBrightnesses.clear();
    const auto screens = p.screens->screens();
    zenPrimaryDisplayID = screens.empty() ? 0 : displayID(screens.front()).value_or(0);
    // A copy: each brightness command rebuilds the engine's list.
    const std::vector<ControlledDisplay> displays = displayEngine.displays;
    for (const auto& d : displays) {
        const float original = brightnessBeforeDark(d);
        zenOriginalBrightnesses[d.id] = original;
        if (d.id == zenPrimaryDisplayID) continue;
        holdDark(d, darkZen, original);
        // A switched-off display is dark already, and stays off.
        if (!poweredOffBrightnesses.count(d.id)) displayEngine.setBrightness(kZenDimmed, d);
    }
    if (controlWindow) controlWindow->orderOut();

    bool first = true;
    for (const auto& screen : screens) {
        const DisplayID id = displayID(screen).value_or(0);
        auto window = zen::ZenWindow::coveringScreen(screen.frame);
        const QSize size(int(screen.frame.width), int(screen.frame.height));
        if (first) {
            auto* view = new zen::ZenView(size, zenSecondsRemaining, isEnglish());
            view->onPauseToggle = [] {
                if (hasShared()) shared().toggleZenModePause();
            };
            view->onStop = [] {
                if (hasShared()) shared().stopZenMode(false);
            };
            window->setAcceptsMouseMovedEvents(true);
            window->setView(view, true);
        } else {
            window->setView(new zen::ZenBlackView(size), false);
        }
        first = false;
        window->makeKeyAndOrderFront();
        window->orderFrontRegardless();
        zenWindows[id] = std::move(window);
    }

    platform::mainQueue().asyncAfter(0.2, [] {
        if (!hasShared()) return;
        auto& c = shared();
        // Stopped within the 0.2 s: nothing to raise, and no cursor to hide over no window.
        if (!c.isZenModeActive) return;
        zen::activateAndRaise(c.zenWindows);
        if (auto primary = c.zenWindows.find(c.zenPrimaryDisplayID); primary != c.zenWindows.end())
            primary->second->makeKeyAndOrderFront();
        c.setCursorHidden(true);
    });

    isZenModePaused = false;
    zenCountdownTimer = platform::mainQueue().scheduleRepeating(1.0, [](platform::Timer&) {
        if (hasShared()) shared().zenCountdownStep();
    });
}

void BlackoutController::zenCountdownStep() {
    if (isZenModePaused) return;
    --zenSecondsRemaining;
    if (auto* view = primaryZenView()) view->updateTime(zenSecondsRemaining);
    if (zenSecondsRemaining < 1) stopZenMode(true);
}

void BlackoutController::toggleZenModePause() {
    if (!isZenModeActive) return;
    isZenModePaused = !isZenModePaused;
    if (auto* view = primaryZenView()) view->setPaused(isZenModePaused);
}

void BlackoutController::stopZenMode(bool finished) {
    if (!isZenModeActive) return;
    isZenModeActive = false;
    isZenModePaused = false;
    setCursorHidden(false);
    if (zenCountdownTimer) zenCountdownTimer->invalidate();
    zenCountdownTimer.reset();
    playSound(finished ? "Blow" : "Tink");
    zen::orderOutAll(zenWindows);
    refreshDisplaysIfStale();
    const std::vector<ControlledDisplay> displays = displayEngine.displays;
    for (const auto& [id, value] : zenOriginalBrightnesses) {
        auto d = std::find_if(displays.begin(), displays.end(),
                              [id = id](const ControlledDisplay& x) { return x.id == id; });
        if (d == displays.end() || !isConnected(id)) {
            releaseWhileUnplugged(id, {darkZen});
            continue;
        }
        releaseDark(id, darkZen);
        // Still dark for another feature (switched off, a break): that one brings it back.
        if (isHeldDark(id) || poweredOffBrightnesses.count(id)) continue;
        bringBack(*d, value);
        updateSlider(*d, value);
    }
    zenOriginalBrightnesses.clear();
    platform::current().applications->setActivationPolicy(platform::ActivationPolicy::regular);
    if (controlWindow) showControlWindow();
}
