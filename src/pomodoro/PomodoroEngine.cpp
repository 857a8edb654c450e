// The Pomodoro run: focus phases that dim towards a break in their last minute, breaks with the
// monitors off and a break screen on the primary display, pauses and skips.

#include "app/BlackoutController.h"
#include "appkit/Button.h"
#include "appkit/Window.h"
#include "blackout/RecoveryJournal.h"
#include "display/DisplayEngine.h"
#include "platform/Applications.h"
#include "platform/Platform.h"
#include "platform/RunLoop.h"
#include "platform/Screens.h"
#include "platform/Sounds.h"
#include "platform/UserDefaults.h"
#include "pomodoro/PomodoroBreakView.h"
#include "pomodoro/PomodoroStatusPanel.h"
#include "zen/ZenWindow.h"

#include <limits>

namespace {

constexpr float kNearBlack = 0.02f;

void playSound(const std::string& name) {
    if (auto* sounds = platform::current().sounds) sounds->play(name);
}

std::string storedSound(const char* key, const char* fallback) {
    return platform::current().defaults->string(key).value_or(fallback);
}

DisplayID primaryScreenDisplayID(const BlackoutController& c) {
    const auto screens = platform::current().screens->screens();
    return screens.empty() ? 0 : c.displayID(screens.front()).value_or(0);
}

} // namespace

pomodoro::PomodoroBreakView* BlackoutController::pomodoroBreakView() const {
    auto it = pomodoroWindows.find(primaryScreenDisplayID(*this));
    if (it == pomodoroWindows.end()) return nullptr;
    return dynamic_cast<pomodoro::PomodoroBreakView*>(it->second->view());
}

std::shared_ptr<platform::Timer> BlackoutController::schedulePomodoroTick() {
    if (pomodoroTimer) pomodoroTimer->invalidate();
    return platform::mainQueue().scheduleRepeating(1.0, [](platform::Timer&) {
        if (hasShared()) shared().handlePomodoroTick();
    });
}

void BlackoutController::activatePomodoroBreakWindows(bool showBar) {
    platform::mainQueue().asyncAfter(0.2, [showBar] {
        if (!hasShared()) return;
        auto& c = shared();
        zen::activateAndRaise(c.pomodoroWindows);
        if (!showBar)
            c.setCursorHidden(false);
        else if (auto* view = c.pomodoroBreakView())
            view->showHUDControlBar();
    });
}

void BlackoutController::startPomodoro(int focusMin, int breakMin, int cycles) {
    if (isPomodoroActive) return;
    // Lengths come from a panel that keeps them in range; anything else is refused rather than
    // overflowing.
    constexpr int kMaxMinutes = std::numeric_limits<int>::max() / 60;
    if (focusMin < 1 || breakMin < 1 || cycles < 1 || focusMin > kMaxMinutes ||
        breakMin > kMaxMinutes)
        return;
    if (isZenModeActive) stopZenMode(false);
    isPomodoroActive = true;
    if (pomodoroButton) pomodoroButton->setTitle(t("🍅 진행 상태", "🍅 Status"));
    recreateStatusMenu();

    pomodoroFocusDuration = int64_t(focusMin) * 60;
    pomodoroBreakDuration = int64_t(breakMin) * 60;
    pomodoroTotalCycles = cycles;
    pomodoroCurrentCycle = 1;
    pomodoroPhase = PomodoroPhase::focus;
    pomodoroSecondsRemaining = pomodoroFocusDuration;
    pomodoroAlertShown = false;
    isShowingStopAlert = false;
    pomodoroOriginalBrightnesses.clear();
    const std::vector<ControlledDisplay> displays = displayEngine.displays;
    for (const auto& d : displays)
        pomodoroStartingBrightness(d);

    updateMenuBarTimer();
    playSound(storedSound("pomodoroFocusSound", "Tink"));
    showPomodoroStartToast(focusMin);
    pomodoroTimer = schedulePomodoroTick();
    platform::current().applications->activateIgnoringOtherApps();
}

void BlackoutController::handlePomodoroTick() {
    if (!isPomodoroActive) return;
    --pomodoroSecondsRemaining;
    updateMenuBarTimer();
    if (pomodoroStatusPanel)
        pomodoroStatusPanel->updateTimeAndCycle(pomodoroPhase, pomodoroCurrentCycle,
                                                pomodoroTotalCycles, pomodoroSecondsRemaining);
    if (pomodoroPhase == PomodoroPhase::focus) {
        const bool dim =
            platform::current().defaults->boolValue("pomodoroDimBeforeBreak").value_or(true);
        const int64_t window = std::min<int64_t>(60, pomodoroFocusDuration);
        if (dim && pomodoroSecondsRemaining >= 1 && pomodoroSecondsRemaining <= window) {
            if (!pomodoroAlertShown) {
                pomodoroAlertShown = true;
                sendPomodoroNotification(
                    t("집중 시간 종료 1분 전", "1 Minute Left of Focus"),
                    t("곧 휴식 시간이 시작됩니다. 서서히 화면이 어두워집니다.",
                      "Break time is starting soon. Screen will dim gradually."));
            }
            const float r = float(pomodoroSecondsRemaining) / float(window);
            const std::vector<ControlledDisplay> displays = displayEngine.displays;
            for (const auto& d : displays) {
                // A switched-off display is dark already.
                if (poweredOffBrightnesses.count(d.id)) continue;
                const float b = pomodoroStartingBrightness(d);
                holdDark(d, darkPomodoro, b);
                const float target = (b - kNearBlack) * r + kNearBlack;
                displayEngine.setBrightness(target, d);
                updateSlider(d, target);
            }
        }
        if (pomodoroSecondsRemaining < 1) enterPomodoroBreakPhase();
        return;
    }
    if (auto* view = pomodoroBreakView()) view->updateTime(pomodoroSecondsRemaining);
    if (pomodoroSecondsRemaining < 1) {
        if (pomodoroCurrentCycle >= pomodoroTotalCycles) {
            stopPomodoro(true);
        } else {
            ++pomodoroCurrentCycle;
            enterPomodoroFocusPhase();
        }
    }
}

float BlackoutController::pomodoroStartingBrightness(const ControlledDisplay& display) {
    if (auto it = pomodoroOriginalBrightnesses.find(display.id);
        it != pomodoroOriginalBrightnesses.end())
        return it->second;
    // A display plugged in during the run starts from its own brightness, not a guess.
    const float b = brightnessBeforeDark(display);
    pomodoroOriginalBrightnesses[display.id] = b;
    return b;
}

void BlackoutController::restorePomodoroDisplays() {
    refreshDisplaysIfStale();
    const std::vector<ControlledDisplay> displays = displayEngine.displays;
    for (const auto& d : displays) {
        if (!isConnected(d.id)) continue; // unplugged: below
        auto it = pomodoroOriginalBrightnesses.find(d.id);
        const std::optional<float> b =
            it != pomodoroOriginalBrightnesses.end() ? std::optional(it->second) : std::nullopt;
        releaseDark(d.id, darkPomodoro);
        if (!d.isBuiltIn) {
            restorePoweredOffDisplay(d, b);
        } else if (b && !poweredOffBrightnesses.count(d.id) && !isHeldDark(d.id)) {
            bringBack(d, *b);
            updateSlider(d, *b);
        }
    }
    // Those unplugged meanwhile are lit when they come back.
    releaseUnpluggedOffDisplays({darkPomodoro});
    for (const auto& [id, b] : pomodoroOriginalBrightnesses)
        if (!isConnected(id)) releaseWhileUnplugged(id, {darkPomodoro});
}

void BlackoutController::switchPomodoroMonitorsOff() {
    const std::vector<ControlledDisplay> displays = displayEngine.displays;
    for (const auto& d : displays)
        if (!d.isBuiltIn) {
            pomodoroStartingBrightness(d);
            powerOffDisplay(d);
            // Off now holds what the dimming held.
            releaseDark(d.id, darkPomodoro);
        }
}

void BlackoutController::enterPomodoroBreakPhase() {
    pomodoroPhase = PomodoroPhase::breakTime;
    pomodoroSecondsRemaining = pomodoroBreakDuration;
    updateMenuBarTimer();
    playSound(storedSound("pomodoroBreakSound", "Glass"));
    auto& p = platform::current();
    p.applications->setActivationPolicy(platform::ActivationPolicy::accessory);
    switchPomodoroMonitorsOff();
    const std::vector<ControlledDisplay> displays = displayEngine.displays;
    for (const auto& d : displays) {
        if (d.isBuiltIn) {
            auto it = pomodoroOriginalBrightnesses.find(d.id);
            releaseDark(d.id, darkPomodoro);
            if (it == pomodoroOriginalBrightnesses.end() || poweredOffBrightnesses.count(d.id) ||
                isHeldDark(d.id))
                continue;
            bringBack(d, it->second);
            updateSlider(d, it->second);
        }
    }
    // A panel offline now (the lid closed) is lit when it comes online.
    for (const auto& [id, b] : pomodoroOriginalBrightnesses) {
        const auto record = recoveryJournal->record(id);
        if (record && record->builtIn && !isConnected(id))
            releaseWhileUnplugged(id, {darkPomodoro});
    }

    const DisplayID primary = primaryScreenDisplayID(*this);
    for (const auto& screen : p.screens->screens()) {
        if (displayID(screen).value_or(0) != primary) continue;
        auto window = zen::ZenWindow::coveringScreen(screen.frame);
        auto* view = new pomodoro::PomodoroBreakView(
            QSize(int(screen.frame.width), int(screen.frame.height)), isEnglish(),
            pomodoroTotalCycles, pomodoroCurrentCycle);
        view->onPauseToggle = [] {
            if (hasShared()) shared().togglePomodoroPauseFromBreak();
        };
        view->onEndBreak = [] {
            if (hasShared()) shared().skipPomodoroBreak();
        };
        view->onStop = [] {
            if (hasShared()) shared().stopPomodoro(false);
        };
        view->updateTime(pomodoroBreakDuration);
        window->setAcceptsMouseMovedEvents(true);
        window->setView(view, true);
        window->makeKeyAndOrderFront();
        window->orderFrontRegardless();
        // A second screen of the same display would replace the first window; the old one goes.
        pomodoroWindows[primary] = std::move(window);
    }
    activatePomodoroBreakWindows(false);
}

void BlackoutController::enterPomodoroFocusPhase() {
    pomodoroPhase = PomodoroPhase::focus;
    pomodoroSecondsRemaining = pomodoroFocusDuration;
    pomodoroAlertShown = false;
    updateMenuBarTimer();
    pomodoroTimer = schedulePomodoroTick();
    std::optional<QPoint> frame;
    if (controlWindow) frame = controlWindow->topLeft();
    platform::current().applications->setActivationPolicy(platform::ActivationPolicy::regular);
    if (controlWindow && frame) controlWindow->moveTopLeft(*frame);
    setCursorHidden(false);
    zen::orderOutAll(pomodoroWindows);
    restorePomodoroDisplays();
    playSound(storedSound("pomodoroFocusSound", "Tink"));
}

void BlackoutController::skipPomodoroBreak() {
    if (!isPomodoroActive || pomodoroPhase != PomodoroPhase::breakTime) return;
    isShowingStopAlert = false;
    if (pomodoroCurrentCycle < pomodoroTotalCycles) {
        ++pomodoroCurrentCycle;
        enterPomodoroFocusPhase();
    } else {
        stopPomodoro(true);
    }
}

void BlackoutController::togglePomodoroPause() {
    if (!isPomodoroActive) return;
    if (isShowingStopAlert) {
        isShowingStopAlert = false;
        updateMenuBarTimer();
        pomodoroTimer = schedulePomodoroTick();
        if (pomodoroStatusPanel) pomodoroStatusPanel->setPausedState(false);
    } else {
        isShowingStopAlert = true;
        updateMenuBarTimer();
        if (pomodoroTimer) pomodoroTimer->invalidate();
        pomodoroTimer.reset();
        if (pomodoroStatusPanel) pomodoroStatusPanel->setPausedState(true);
    }
}

void BlackoutController::togglePomodoroPauseFromBreak() {
    if (!isPomodoroActive || pomodoroPhase != PomodoroPhase::breakTime) return;
    if (!isShowingStopAlert) {
        isShowingStopAlert = true;
        updateMenuBarTimer();
        if (pomodoroTimer) pomodoroTimer->invalidate();
        pomodoroTimer.reset();
        restorePomodoroDisplays();
        updateBreakViewPausedState(true);
    } else {
        isShowingStopAlert = false;
        updateMenuBarTimer();
        switchPomodoroMonitorsOff();
        updateBreakViewPausedState(false);
        pomodoroTimer = schedulePomodoroTick();
    }
    if (pomodoroStatusPanel) pomodoroStatusPanel->setPausedState(isShowingStopAlert);
}

void BlackoutController::updateBreakViewPausedState(bool paused) {
    if (auto* view = pomodoroBreakView()) view->setPaused(paused);
}
