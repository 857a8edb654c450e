#include "pomodoro/PomodoroTestSupport.h"

#include "platform/sim/SimInput.h"
#include "pomodoro/PomodoroStartOverlay.h"
#include "ui/CapsuleButtons.h"

namespace {

class PomodoroBreakTest : public PomodoroTest {
  protected:
    // A one-cycle run of one-minute phases, in English, now at the start of its break.
    void startBreak() {
        defaults().set("appLanguage", "en");
        advance(1);
        controller().startPomodoro(1, 1, 1);
        advance(60, 0.5);
        ASSERT_EQ(controller().pomodoroPhase, BlackoutController::PomodoroPhase::breakTime);
        ASSERT_TRUE(breakView());
    }
    void sendToBreakScreen(platform::EventType type, QPoint at) {
        platform::Event e;
        e.type = type;
        e.location = platform::Point{double(at.x()), double(at.y())};
        for (const auto& w : mac().windowServer().windowsOfKind("zen"))
            mac().windowServer().sendEvent(w.number, e);
        advance();
    }
    QPoint centreOf(QWidget* button) {
        return QRect(button->mapTo(breakView(), QPoint()), button->size()).center();
    }
};

} // namespace

TEST_F(PomodoroBreakTest, TheBreakScreenSpeaksTheLanguageAndItsBarHidesWithTheCursor) {
    startBreak();
    auto* view = breakView();
    EXPECT_EQ(view->titleText(), "🧘♂️ Break Time");
    EXPECT_EQ(view->progressText(), "Cycle 1 / 1");
    EXPECT_EQ(view->pauseButton()->title(), "Pause");
    EXPECT_EQ(view->skipButton()->title(), "Skip Break");
    EXPECT_EQ(view->stopButton()->title(), "Stop Pomodoro");
    EXPECT_EQ(mac().deliveredNotifications().back().first.title, "1 Minute Left of Focus");
    advance(0.2);
    EXPECT_TRUE(mac().input().cursorVisible()) << "the break shows the cursor at first";
    advance(2.5 + 0.4);
    EXPECT_EQ(view->controlBarAlpha(), 0.0);
    EXPECT_FALSE(mac().input().cursorVisible());

    sendToBreakScreen(platform::EventType::mouseMoved, QPoint(10, 10));
    advance(0.3);
    EXPECT_EQ(view->controlBarAlpha(), 1.0);
    EXPECT_TRUE(mac().input().cursorVisible());

    // The pause button in the window pauses: the bar stays, the count holds, the monitors light.
    sendToBreakScreen(platform::EventType::leftMouseDown, centreOf(view->pauseButton()));
    EXPECT_TRUE(controller().isShowingStopAlert);
    EXPECT_EQ(view->pauseButton()->title(), "Resume");
    EXPECT_EQ(gamma(2), "identity");
    const std::string held = view->timerText();
    advance(6, 0.5);
    EXPECT_EQ(view->controlBarAlpha(), 1.0);
    EXPECT_EQ(view->timerText(), held);

    // Skip Break ends a last cycle as finished, even while paused.
    sendToBreakScreen(platform::EventType::leftMouseDown, centreOf(view->skipButton()));
    EXPECT_FALSE(controller().isPomodoroActive);
    EXPECT_EQ(sounds().back(), "Blow");
    EXPECT_TRUE(mac().input().cursorVisible());
}

TEST_F(PomodoroBreakTest, EscapeAsksInFocusOnlyHereAndQuittingGivesTheDisplaysBack) {
    auto& c = controller();
    advance(1);
    const uint16_t dell3 = luminance(3);
    c.startPomodoro(25, 5, 4);
    advance(1, 0.5);
    // Escape in another application during focus leaves the timer alone.
    mac().input().pressKeyInOtherApplication(53);
    advance(1, 0.5);
    EXPECT_TRUE(mac().alerts().shown().empty());
    EXPECT_EQ(c.pomodoroSecondsRemaining, 1498);
    // Here it asks; the first answer stops the run.
    mac().alerts().queueAnswers({0});
    escapeHere();
    ASSERT_EQ(mac().alerts().shown().size(), 1u);
    EXPECT_EQ(mac().alerts().shown()[0].buttons, (std::vector<std::string>{"종료", "계속"}));
    EXPECT_FALSE(c.isPomodoroActive);

    // Quitting in the middle of a break stops the run and lights every monitor again.
    c.startPomodoro(1, 5, 2);
    advance(60, 0.5);
    ASSERT_EQ(gamma(3), "black");
    delegate().applicationWillTerminate();
    advance(0.5);
    EXPECT_FALSE(c.isPomodoroActive);
    EXPECT_EQ(gamma(3), "identity");
    EXPECT_EQ(luminance(3), dell3);
    EXPECT_TRUE(mac().windowServer().windowsOfKind("zen").empty());
}

TEST_F(PomodoroTest, TheStartCardFadesInAndOutAndNeedsAScreen) {
    auto& c = controller();
    c.startPomodoro(25, 5, 4);
    ASSERT_TRUE(c.pomodoroStartOverlay);
    auto* view = c.pomodoroStartOverlay->view();
    EXPECT_EQ(view->titleText(), "뽀모도로 집중 시작!");
    EXPECT_EQ(view->lineText(), "25분 동안 온전히 몰입해 보세요.");
    EXPECT_EQ(view->contentOpacity(), 0.0);
    EXPECT_NEAR(view->cardScale(), 0.8, 1e-9);
    advance(0.2, 0.1);
    EXPECT_GT(view->contentOpacity(), 0.5);
    EXPECT_LT(view->contentOpacity(), 1.0);
    advance(1.0, 0.1);
    EXPECT_EQ(view->contentOpacity(), 1.0);
    EXPECT_NEAR(view->cardScale(), 1.0, 0.01) << "the spring has settled";
    advance(0.75, 0.05);
    EXPECT_LT(view->contentOpacity(), 1.0) << "fading out after 1.8 s";
    advance(0.3, 0.1);
    EXPECT_FALSE(c.pomodoroStartOverlay);
    c.stopPomodoro();

    // Without any screen there is no card, and the run still starts.
    auto headless = sim::VirtualMac::defaultDescription();
    for (auto& d : headless.displays)
        d.hasScreen = false;
    boot(headless);
    launch();
    controller().startPomodoro(25, 5, 4);
    EXPECT_TRUE(controller().isPomodoroActive);
    EXPECT_FALSE(controller().pomodoroStartOverlay);
}

TEST_F(PomodoroBreakTest, TheCursorHidesWithTheBarWhateverInstantTheBreakBegan) {
    auto& c = controller();
    // Breaks that begin at many different instants: the fade's end lands on the clock as it
    // may, a hair short of its length or past it.
    for (int k = 0; k < 12; ++k) {
        SCOPED_TRACE(k);
        advance(0.01 + 0.07 * k);
        c.startPomodoro(1, 1, 1);
        advance(60, 0.5);
        ASSERT_TRUE(breakView());
        advance(3.5, 0.5);
        EXPECT_EQ(breakView()->controlBarAlpha(), 0.0);
        EXPECT_FALSE(mac().input().cursorVisible());
        c.stopPomodoro(false);
        advance(0.5);
        EXPECT_TRUE(mac().input().cursorVisible());
    }
}
