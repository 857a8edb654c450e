// Stopping a Pomodoro run (with or without the question), the status item's countdown, the
// notification, and the panels and overlay the run opens.

#include "app/BlackoutController.h"
#include "appkit/Button.h"
#include "appkit/Window.h"
#include "platform/Alerts.h"
#include "platform/Applications.h"
#include "platform/Notifications.h"
#include "platform/Platform.h"
#include "platform/RunLoop.h"
#include "platform/Screens.h"
#include "platform/Sounds.h"
#include "platform/StatusBar.h"
#include "platform/SystemLog.h"
#include "pomodoro/PomodoroBreakView.h"
#include "pomodoro/PomodoroSettingsPanel.h"
#include "pomodoro/PomodoroStartOverlay.h"
#include "pomodoro/PomodoroStatusPanel.h"
#include "zen/ZenWindow.h"

#include <cstdio>

namespace {

constexpr int kNormalWindowLevel = 0;
constexpr int kFirstButtonReturn = 1000;

void playSound(const std::string& name) {
    if (auto* sounds = platform::current().sounds) sounds->play(name);
}

// Clears the controller's field when this very panel closes (not an older one), and lets the
// panel go once its own close has returned.
template <typename Panel>
std::function<void()> clearWhenClosed(std::weak_ptr<Panel> weak,
                                      std::shared_ptr<Panel> BlackoutController::*field) {
    return [weak, field] {
        if (!BlackoutController::hasShared()) return;
        auto& c = BlackoutController::shared();
        if (auto p = weak.lock(); p && c.*field == p) {
            (c.*field).reset();
            platform::mainQueue().async([p] {});
        }
    };
}

} // namespace

void BlackoutController::stopPomodoroAlert() {
    if (!isPomodoroActive || isShowingStopAlert) return;
    isShowingStopAlert = true;
    updateMenuBarTimer();
    if (pomodoroTimer) pomodoroTimer->invalidate();
    pomodoroTimer.reset();
    for (auto& [id, w] : pomodoroWindows)
        w->setLevel(kNormalWindowLevel);
    if (pomodoroPhase == PomodoroPhase::breakTime) {
        setCursorHidden(false);
        restorePomodoroDisplays();
    }
    platform::AlertRequest alert;
    alert.messageText = t("포모도로 타이머", "Pomodoro Timer");
    alert.informativeText =
        t("포모도로 타이머를 종료하시겠습니까?", "Would you like to stop the Pomodoro timer?");
    alert.buttons = {t("종료", "Stop"), t("계속", "Resume")};
    auto& p = platform::current();
    p.applications->setActivationPolicy(platform::ActivationPolicy::regular);
    p.applications->activateIgnoringOtherApps();
    if (!pomodoroWindows.empty()) {
        alert.sheetWindow = "break screen";
        p.alerts->beginSheetModal(alert, [](int index) {
            if (hasShared()) shared().handleAlertResponse(kFirstButtonReturn + index);
        });
    } else {
        const int index = p.alerts->runModal(alert);
        handleAlertResponse(kFirstButtonReturn + index);
    }
}

void BlackoutController::handleAlertResponse(int response) {
    isShowingStopAlert = false;
    // A run stopped meanwhile (the status menu while the question was up) stays stopped.
    if (!isPomodoroActive) return;
    if (response == kFirstButtonReturn) {
        stopPomodoro(false);
        return;
    }
    updateMenuBarTimer();
    auto& apps = *platform::current().applications;
    if (pomodoroPhase == PomodoroPhase::focus) {
        apps.setActivationPolicy(platform::ActivationPolicy::regular);
        apps.activateIgnoringOtherApps();
    } else {
        apps.setActivationPolicy(platform::ActivationPolicy::accessory);
        for (auto& [id, w] : pomodoroWindows) {
            w->setLevel(zen::ZenWindow::shieldingWindowLevel());
            w->orderFrontRegardless();
        }
        switchPomodoroMonitorsOff();
        activatePomodoroBreakWindows(true);
    }
    pomodoroTimer = schedulePomodoroTick();
}

void BlackoutController::stopPomodoro(bool finished) {
    if (!isPomodoroActive) return;
    isPomodoroActive = false;
    isShowingStopAlert = false;
    if (pomodoroButton) pomodoroButton->setTitle(t("🍅 포모도로", "🍅 Pomodoro"));
    recreateStatusMenu();
    updateMenuBarTimer();
    if (pomodoroTimer) pomodoroTimer->invalidate();
    pomodoroTimer.reset();
    if (auto panel = pomodoroStatusPanel) {
        pomodoroStatusPanel.reset();
        panel->close();
        // Its own button may be what stopped the run: it goes once that returns.
        platform::mainQueue().async([panel] {});
    }
    setCursorHidden(false);
    playSound(finished ? "Blow" : "Tink");
    zen::orderOutAll(pomodoroWindows);
    restorePomodoroDisplays();
    pomodoroOriginalBrightnesses.clear();
    platform::current().applications->setActivationPolicy(platform::ActivationPolicy::regular);
    if (controlWindow) showControlWindow();
}

void BlackoutController::stopPomodoroFromAction() {
    stopPomodoro(false);
}

void BlackoutController::updateMenuBarTimer() {
    if (!statusItem || !statusItem->hasButton()) return;
    if (!isPomodoroActive) {
        statusItem->setTitle("");
        statusItem->setImage("laptopcomputer", "Night Lid");
        return;
    }
    char text[48];
    std::snprintf(text, sizeof text, "%02lld:%02lld",
                  static_cast<long long>(pomodoroSecondsRemaining / 60),
                  static_cast<long long>(pomodoroSecondsRemaining % 60));
    const char* prefix = isShowingStopAlert                      ? "⏸️ "
                         : pomodoroPhase == PomodoroPhase::focus ? "🍅 "
                                                                 : "🧘♂️ ";
    statusItem->setTitle(std::string(prefix) + text);
    statusItem->setImage(std::nullopt, "");
}

void BlackoutController::sendPomodoroNotification(const std::string& title,
                                                  const std::string& body) {
    auto* center = platform::current().notifications;
    if (!center) return;
    center->add({"pomodoro.alert", title, body, true}, [](std::optional<std::string> error) {
        if (error) platform::current().log->write("Error delivering notification: " + *error);
    });
}

void BlackoutController::pomodoroButtonClicked() {
    if (isPomodoroActive)
        showPomodoroStatus();
    else
        showPomodoroSettings();
}

void BlackoutController::showPomodoroStatus() {
    if (!pomodoroStatusPanel) {
        auto panel = std::make_shared<pomodoro::PomodoroStatusPanel>(
            [] {
                if (hasShared()) shared().togglePomodoroPause();
            },
            [] {
                if (hasShared()) shared().stopPomodoro(false);
            },
            isEnglish(), isShowingStopAlert, pomodoroPhase, pomodoroTotalCycles,
            pomodoroCurrentCycle, pomodoroSecondsRemaining);
        panel->onClose =
            clearWhenClosed(std::weak_ptr(panel), &BlackoutController::pomodoroStatusPanel);
        pomodoroStatusPanel = panel;
    }
    pomodoroStatusPanel->makeKeyAndOrderFront();
    platform::current().applications->activateIgnoringOtherApps();
}

void BlackoutController::showPomodoroSettings() {
    if (!pomodoroSettingsPanel) {
        auto panel = std::make_shared<pomodoro::PomodoroSettingsPanel>(
            [](int focusMin, int breakMin, int cycles) {
                if (hasShared()) shared().startPomodoro(focusMin, breakMin, cycles);
            },
            isEnglish());
        panel->onClose =
            clearWhenClosed(std::weak_ptr(panel), &BlackoutController::pomodoroSettingsPanel);
        pomodoroSettingsPanel = panel;
    }
    pomodoroSettingsPanel->makeKeyAndOrderFront();
    platform::current().applications->activateIgnoringOtherApps();
}

void BlackoutController::showPomodoroStartToast(int durationMin) {
    const auto screens = platform::current().screens->screens();
    if (screens.empty()) return;
    auto overlay = std::make_shared<pomodoro::PomodoroStartOverlayWindow>(durationMin, isEnglish(),
                                                                          screens.front().frame);
    overlay->makeKeyAndOrderFront();
    overlay->orderFrontRegardless();
    overlay->animateIn();
    pomodoroStartOverlay = overlay;
    // The pending step holds the overlay until it has closed.
    platform::mainQueue().asyncAfter(1.8, [overlay] {
        overlay->animateOut([overlay] {
            overlay->orderOut();
            if (BlackoutController::hasShared() &&
                BlackoutController::shared().pomodoroStartOverlay == overlay)
                BlackoutController::shared().pomodoroStartOverlay.reset();
        });
    });
}
