#include "pomodoro/PomodoroTestSupport.h"

#include "platform/sim/SimInput.h"
#include "ui/CapsuleButtons.h"
#include "zen/ZenWindow.h"

TEST_F(PomodoroTest, TwoCyclesRunThroughDimmingBreaksAndBackToEveryStartingBrightness) {
    auto& c = controller();
    advance(1);
    const uint16_t dell2 = luminance(2), dell3 = luminance(3);
    const float panelBefore = panel();
    c.startPomodoro(2, 1, 2);
    advance();
    EXPECT_EQ(title(), "🍅 02:00");
    EXPECT_FALSE(item().imageSymbol());
    EXPECT_EQ(sounds(), (std::vector<std::string>{"Tink"}));
    EXPECT_EQ(menuEntries(), 6u) << "the stop item joins the menu";
    EXPECT_EQ(c.pomodoroButton->title(), "🍅 진행 상태");

    // The last minute: one warning, then every display falls towards near-black each second.
    advance(59, 0.5);
    EXPECT_TRUE(mac().deliveredNotifications().empty());
    advance(1, 0.5);
    ASSERT_EQ(mac().deliveredNotifications().size(), 1u);
    EXPECT_EQ(mac().deliveredNotifications()[0].first.identifier, "pomodoro.alert");
    EXPECT_EQ(mac().deliveredNotifications()[0].first.title, "집중 시간 종료 1분 전");
    EXPECT_NEAR(slider(2), 0.55, 1e-5) << "at 60 s left each display is still where it was";
    advance(30, 0.5);
    EXPECT_NEAR(slider(2), (0.55 - 0.02) * 0.5 + 0.02, 1e-5);
    EXPECT_NEAR(panel(), (panelBefore - 0.02) * 0.5 + 0.02, 1e-4);
    EXPECT_LT(luminance(2), dell2) << "and the monitor with it";
    advance(29, 0.5);
    EXPECT_NEAR(slider(3), (0.73 - 0.02) / 60 + 0.02, 1e-5);
    EXPECT_EQ(mac().deliveredNotifications().size(), 1u) << "posted once";

    // The break: monitors off, the panel back, the break screen on the panel only.
    advance(1, 0.5);
    EXPECT_EQ(c.pomodoroPhase, BlackoutController::PomodoroPhase::breakTime);
    EXPECT_EQ(title(), "🧘♂️ 01:00");
    EXPECT_EQ(gamma(2), "black");
    EXPECT_EQ(gamma(3), "black");
    EXPECT_FLOAT_EQ(panel(), panelBefore);
    EXPECT_EQ(mac().activationPolicy(), platform::ActivationPolicy::accessory);
    ASSERT_EQ(c.pomodoroWindows.size(), 1u);
    ASSERT_TRUE(breakView());
    EXPECT_EQ(c.pomodoroWindows.begin()->first, 1u);
    EXPECT_EQ(breakView()->timerText(), "01:00");
    EXPECT_EQ(breakView()->progressText(), "진행 상황: 1 / 2");
    advance(1, 0.5);
    EXPECT_EQ(breakView()->timerText(), "00:59");

    // The second focus: every display back at its starting brightness.
    advance(59, 0.5);
    EXPECT_EQ(c.pomodoroPhase, BlackoutController::PomodoroPhase::focus);
    EXPECT_EQ(c.pomodoroCurrentCycle, 2);
    EXPECT_TRUE(c.pomodoroWindows.empty());
    advance(0.5);
    EXPECT_EQ(gamma(2), "identity");
    EXPECT_EQ(luminance(2), dell2);
    EXPECT_EQ(luminance(3), dell3);
    EXPECT_FLOAT_EQ(panel(), panelBefore);
    EXPECT_EQ(mac().activationPolicy(), platform::ActivationPolicy::regular);
    EXPECT_EQ(sounds(), (std::vector<std::string>{"Tink", "Glass", "Tink"}));

    // The last break runs out: the run ends as finished.
    advance(180, 0.5);
    EXPECT_FALSE(c.isPomodoroActive);
    EXPECT_EQ(sounds().back(), "Blow");
    EXPECT_EQ(title(), "");
    EXPECT_EQ(item().imageSymbol(), std::optional<std::string>("laptopcomputer"));
    EXPECT_EQ(menuEntries(), 5u);
    EXPECT_EQ(c.pomodoroButton->title(), "🍅 포모도로");
    advance(0.5);
    EXPECT_EQ(luminance(2), dell2);
    EXPECT_EQ(gamma(3), "identity");
    EXPECT_TRUE(c.pomodoroOriginalBrightnesses.empty());
}

TEST_F(PomodoroTest, WithoutDimmingNothingDimsAndNoWarningIsPosted) {
    auto& c = controller();
    defaults().set("pomodoroDimBeforeBreak", false);
    advance(1);
    c.startPomodoro(1, 1, 1);
    advance(30, 0.5);
    EXPECT_TRUE(mac().deliveredNotifications().empty());
    EXPECT_NEAR(slider(2), 0.55, 1e-6);

    // Switched on mid-run, it applies from the next tick; a 1-minute focus dims over all of it.
    defaults().set("pomodoroDimBeforeBreak", true);
    advance(1, 0.5);
    EXPECT_EQ(mac().deliveredNotifications().size(), 1u);
    EXPECT_NEAR(slider(2), (0.55 - 0.02) * 29 / 60 + 0.02, 1e-5);
}

TEST_F(PomodoroTest, PausesAndTheStopQuestionHoldTheCountAndRestoreWhatTheyShould) {
    auto& c = controller();
    advance(1);
    const uint16_t dell2 = luminance(2);
    c.startPomodoro(25, 5, 4);
    advance(1, 0.5);
    c.togglePomodoroPause();
    EXPECT_EQ(title(), "⏸️ 24:59");
    advance(10, 0.5);
    EXPECT_EQ(c.pomodoroSecondsRemaining, 1499);
    c.togglePomodoroPause();
    mac().alerts().queueAnswers({1});
    c.stopPomodoroAlert(); // Escape in focus asks first; "Resume" goes on
    advance();
    EXPECT_TRUE(c.isPomodoroActive);
    EXPECT_FALSE(c.isShowingStopAlert);
    ASSERT_FALSE(mac().alerts().shown().empty());
    EXPECT_EQ(mac().alerts().shown().back().informativeText, "포모도로 타이머를 종료하시겠습니까?");
    EXPECT_TRUE(mac().alerts().shown().back().sheetWindow.empty()) << "no break screen to hang on";

    // Into a break; Escape there pauses it and gives the monitors their light back.
    c.pomodoroSecondsRemaining = 1;
    advance(1, 0.5);
    ASSERT_EQ(c.pomodoroPhase, BlackoutController::PomodoroPhase::breakTime);
    const int64_t left = c.pomodoroSecondsRemaining;
    escapeHere();
    advance(0.5);
    EXPECT_TRUE(c.isShowingStopAlert);
    EXPECT_EQ(gamma(2), "identity");
    EXPECT_EQ(breakView()->pauseButton()->title(), "재개");
    advance(3, 0.5);
    EXPECT_EQ(c.pomodoroSecondsRemaining, left);
    EXPECT_GT(breakView()->controlBarAlpha(), 0) << "the bar stays while paused";
    EXPECT_TRUE(mac().input().cursorVisible());
    // Escape from another application resumes: the monitors go dark again.
    mac().input().pressKeyInOtherApplication(53);
    advance(0.5);
    EXPECT_FALSE(c.isShowingStopAlert);
    EXPECT_EQ(gamma(2), "black");

    // The question during a break hangs on the break screen; "Resume" darkens the monitors
    // again and brings the bar back.
    mac().alerts().queueAnswers({1});
    c.stopPomodoroAlert();
    EXPECT_EQ(gamma(2), "identity") << "the question gives the monitors their light";
    advance(0.5);
    ASSERT_TRUE(c.isPomodoroActive);
    EXPECT_EQ(mac().alerts().shown().back().sheetWindow, "break screen");
    EXPECT_EQ(gamma(2), "black");
    EXPECT_EQ(c.pomodoroWindows.begin()->second->level(), 2147483628);
    EXPECT_TRUE(c.pomodoroTimer && c.pomodoroTimer->isValid());

    // The status menu stops it at once, in the middle of the break.
    c.stopPomodoroFromAction();
    advance(0.5);
    EXPECT_FALSE(c.isPomodoroActive);
    EXPECT_EQ(sounds().back(), "Tink");
    EXPECT_EQ(gamma(2), "identity");
    EXPECT_EQ(luminance(2), dell2);
    EXPECT_TRUE(c.pomodoroWindows.empty());
}

TEST_F(PomodoroTest, StartsEndZenARunningTimerIgnoresAnotherStartAndSkipsMoveOn) {
    auto& c = controller();
    advance(1);
    c.startZenMode(3);
    c.startPomodoro(1, 1, 2);
    EXPECT_FALSE(c.isZenModeActive);
    EXPECT_TRUE(c.isPomodoroActive);
    c.startPomodoro(5, 5, 5);
    EXPECT_EQ(c.pomodoroFocusDuration, 60);
    // Nonsense lengths from a caller never start a run.
    c.stopPomodoro();
    c.startPomodoro(0, 5, 1);
    c.startPomodoro(50'000'000, 5, 1);
    EXPECT_FALSE(c.isPomodoroActive);

    c.startPomodoro(1, 1, 2);
    advance(60, 0.5);
    c.skipPomodoroBreak();
    EXPECT_EQ(c.pomodoroCurrentCycle, 2);
    EXPECT_EQ(c.pomodoroPhase, BlackoutController::PomodoroPhase::focus);
    advance(60, 0.5);
    c.skipPomodoroBreak();
    EXPECT_FALSE(c.isPomodoroActive);
    EXPECT_EQ(sounds().back(), "Blow") << "skipping the last break finishes the run";
    c.skipPomodoroBreak(); // nothing to skip
    c.handlePomodoroTick();
    EXPECT_FALSE(c.isPomodoroActive);
}

TEST_F(PomodoroTest, TheStartOverlayPassesClicksAndGoesAndDeniedNotificationsOnlyLog) {
    auto& c = controller();
    advance(1);
    c.startPomodoro(25, 5, 4);
    auto overlays = mac().windowServer().windowsOfKind("pomodoro-start");
    ASSERT_EQ(overlays.size(), 1u);
    EXPECT_TRUE(overlays[0].window.ignoresMouseEvents);
    advance(2.2, 0.1);
    EXPECT_TRUE(mac().windowServer().windowsOfKind("pomodoro-start").empty());
    EXPECT_FALSE(c.pomodoroStartOverlay);
    c.stopPomodoro();

    auto denied = sim::VirtualMac::defaultDescription();
    denied.notificationsGranted = false;
    boot(denied);
    launch();
    controller().startPomodoro(1, 1, 1);
    advance(1, 0.5);
    EXPECT_TRUE(mac().deliveredNotifications().empty());
    EXPECT_TRUE(log().contains(
        "Error delivering notification: Notifications are not allowed for this application"));
    EXPECT_TRUE(controller().isPomodoroActive);
}

TEST_F(PomodoroTest, ALanguageChangeMidRunKeepsItsTextsInStepAndAnUnpluggedMonitorIsSkipped) {
    auto& c = controller();
    advance(1);
    c.startPomodoro(1, 1, 2);
    c.languageChanged(1);
    advance();
    EXPECT_EQ(c.pomodoroButton->title(), "🍅 Status") << "the rebuilt toolbar knows the run";
    ASSERT_GE(menuEntries(), 3u);
    EXPECT_EQ(c.statusMenu->items[2].title, "Stop Pomodoro Timer");
    advance(1, 0.5);
    EXPECT_EQ(mac().deliveredNotifications().back().first.body,
              "Break time is starting soon. Screen will dim gradually.");

    // Into the break, then the second monitor goes away; the end restores what is left.
    advance(59, 0.5);
    ASSERT_EQ(c.pomodoroPhase, BlackoutController::PomodoroPhase::breakTime);
    EXPECT_EQ(breakView()->titleText(), "🧘♂️ Break Time");
    ASSERT_TRUE(mac().unplug(3));
    advance(0.5);
    c.stopPomodoro();
    advance(0.5);
    EXPECT_FALSE(c.isPomodoroActive);
    EXPECT_EQ(gamma(2), "identity");
    EXPECT_EQ(title(), "");
    EXPECT_EQ(menuEntries(), 5u);
}
