#include "appkit/Slider.h"
#include "appkit/Stepper.h"
#include "appkit/ViewLookup.h"
#include "support/PowerTestSupport.h"
#include "ui/CapsuleButtons.h"
#include "zen/ZenSettingsPanel.h"
#include "zen/ZenView.h"
#include "zen/ZenWindow.h"

#include <QLineEdit>

namespace {

class ZenTest : public PowerTest {
  protected:
    zen::ZenView& view() { return *controller().primaryZenView(); }
    void escapeHere() {
        mac().input().pressKeyInApplication(53);
        advance();
    }
};

} // namespace

TEST_F(ZenTest, OneMinuteRunDimsTheOthersAndGivesEveryDisplayItsBrightnessBack) {
    auto& c = controller();
    advance(1);
    const uint16_t dell2 = luminance(2), dell3 = luminance(3);
    const float panelBefore = panel();
    c.startZenMode(1);
    advance(); // the DDC writes land on their own queue
    EXPECT_EQ(sounds(), (std::vector<std::string>{"Glass"}));
    EXPECT_EQ(mac().activationPolicy(), platform::ActivationPolicy::accessory);
    EXPECT_EQ(luminance(2), 0) << "turned down to 0.02";
    EXPECT_EQ(luminance(3), 0);
    EXPECT_FLOAT_EQ(panel(), panelBefore) << "the primary screen keeps its brightness";
    EXPECT_FLOAT_EQ(c.zenOriginalBrightnesses.at(4), 0.5f) << "the TV is known only as 0.5";
    ASSERT_EQ(c.zenWindows.size(), 4u);
    EXPECT_TRUE(c.zenWindows.at(1)->zenView());
    EXPECT_FALSE(c.zenWindows.at(2)->zenView());
    EXPECT_FALSE(c.controlWindow->isVisible());
    EXPECT_EQ(view().timerText(), "1:00");
    advance(0.2);
    EXPECT_FALSE(mac().input().cursorVisible());

    // A second start changes nothing.
    c.startZenMode(5);
    EXPECT_EQ(c.zenSecondsRemaining, 60);

    advance(59);
    EXPECT_TRUE(c.isZenModeActive);
    EXPECT_EQ(view().timerText(), "0:01");
    advance(1);
    EXPECT_FALSE(c.isZenModeActive);
    EXPECT_EQ(sounds(), (std::vector<std::string>{"Glass", "Blow"}));
    EXPECT_TRUE(c.zenWindows.empty());
    EXPECT_TRUE(mac().windowServer().windowsOfKind("zen").empty());
    advance(0.2);
    EXPECT_EQ(luminance(2), dell2);
    EXPECT_EQ(luminance(3), dell3);
    EXPECT_FLOAT_EQ(panel(), panelBefore);
    EXPECT_TRUE(mac().input().cursorVisible());
    EXPECT_EQ(mac().activationPolicy(), platform::ActivationPolicy::regular);
    EXPECT_TRUE(c.controlWindow->isVisible());
    EXPECT_FLOAT_EQ(c.currentBrightnesses.at(2), 0.55f);
    auto* slider = appkit::viewWithTag<appkit::Slider>(c.controlWindow->widget(), 1001);
    ASSERT_TRUE(slider);
    EXPECT_NEAR(slider->doubleValue(), 0.55, 1e-6) << "the slider shows it again";
}

TEST_F(ZenTest, BreathAndCountdownFollowTheClockAndHoldWhilePaused) {
    auto& c = controller();
    defaults().set("appLanguage", "en");
    c.startZenMode(3);
    EXPECT_EQ(view().timerText(), "3:00");
    EXPECT_EQ(view().guideText(), "Inhale...");
    EXPECT_DOUBLE_EQ(view().dotScale(), 1.0);
    advance(2);
    EXPECT_GT(view().dotScale(), 1.5);
    advance(2);
    EXPECT_EQ(view().guideText(), "Hold...");
    EXPECT_DOUBLE_EQ(view().dotScale(), 2.8);
    advance(2);
    EXPECT_EQ(view().guideText(), "Exhale...");
    advance(3);
    const double shrinking = view().dotScale();
    EXPECT_LT(shrinking, 2.8);

    // Paused: neither the countdown nor the dot moves; the bar stays with the cursor.
    view().pauseButton()->performClick();
    EXPECT_TRUE(c.isZenModePaused);
    EXPECT_EQ(view().pauseButton()->title(), "Resume");
    advance(10);
    EXPECT_EQ(view().timerText(), "2:51");
    EXPECT_DOUBLE_EQ(view().dotScale(), shrinking);
    EXPECT_EQ(view().controlBarAlpha(), 1.0);
    EXPECT_TRUE(mac().input().cursorVisible());
    view().pauseButton()->performClick();
    EXPECT_EQ(view().pauseButton()->title(), "Pause");
    advance(3);
    EXPECT_EQ(view().guideText(), "Inhale...");
    EXPECT_EQ(view().timerText(), "2:48");
    EXPECT_LT(view().dotScale(), 1.1) << "the breath went on from where it stopped";

    // The stop button ends it as stopped, not finished.
    view().stopButton()->performClick();
    advance();
    EXPECT_FALSE(c.isZenModeActive);
    EXPECT_EQ(mac().soundsPlayed().back().first, "Tink");
}

TEST_F(ZenTest, ControlBarHidesWithTheCursorUnlessThePointerRestsOnIt) {
    controller().startZenMode(3);
    advance(0.2);
    EXPECT_EQ(view().controlBarAlpha(), 1.0);
    advance(2.5 + 0.4);
    EXPECT_EQ(view().controlBarAlpha(), 0.0);
    EXPECT_TRUE(view().isCursorHidden());
    EXPECT_FALSE(mac().input().cursorVisible());

    // A mouse move over the bar brings it back and keeps it while the pointer stays.
    const QPoint onBar = view().controlBarFrame().center();
    platform::Event move;
    move.type = platform::EventType::mouseMoved;
    move.location = platform::Point{double(onBar.x()), double(onBar.y())};
    for (const auto& w : mac().windowServer().windowsOfKind("zen"))
        mac().windowServer().sendEvent(w.number, move);
    advance(0.3);
    EXPECT_EQ(view().controlBarAlpha(), 1.0);
    EXPECT_TRUE(mac().input().cursorVisible());
    advance(10);
    EXPECT_EQ(view().controlBarAlpha(), 1.0);

    // A click on the pause button in the window pauses.
    platform::Event click;
    click.type = platform::EventType::leftMouseDown;
    const QRect pause(view().pauseButton()->mapTo(&view(), QPoint()), view().pauseButton()->size());
    click.location = platform::Point{double(pause.center().x()), double(pause.center().y())};
    for (const auto& w : mac().windowServer().windowsOfKind("zen"))
        mac().windowServer().sendEvent(w.number, click);
    advance();
    EXPECT_TRUE(controller().isZenModePaused);

    // The stop pill beside it stops, rather than the first pill of the bar.
    const QRect stop(view().stopButton()->mapTo(&view(), QPoint()), view().stopButton()->size());
    click.location = platform::Point{double(stop.center().x()), double(stop.center().y())};
    for (const auto& w : mac().windowServer().windowsOfKind("zen"))
        mac().windowServer().sendEvent(w.number, click);
    advance();
    EXPECT_FALSE(controller().isZenModeActive);
}

TEST_F(ZenTest, EscapeAnywhereEndsItAndAnUnpluggedDisplayIsSkipped) {
    auto& c = controller();
    c.startZenMode(3);
    escapeHere();
    EXPECT_FALSE(c.isZenModeActive);
    EXPECT_EQ(mac().soundsPlayed().back().first, "Tink");
    EXPECT_EQ(mac().input().keysReachingApplication(), 0) << "the key is consumed";

    c.startZenMode(3);
    mac().input().pressKeyInOtherApplication(53);
    advance();
    EXPECT_FALSE(c.isZenModeActive);

    // Monitor 3 leaves during the run: the others come back, nothing fails.
    const uint16_t dell2 = luminance(2);
    c.startZenMode(3);
    ASSERT_TRUE(mac().unplug(3));
    advance();
    c.zenButtonClicked();
    advance(0.2);
    EXPECT_FALSE(c.isZenModeActive);
    EXPECT_EQ(luminance(2), dell2);
}

TEST_F(ZenTest, SettingsPanelOpensAtThreeMinutesAndKeepsTypedLengthsInRange) {
    auto& c = controller();
    c.zenButtonClicked();
    ASSERT_TRUE(c.zenSettingsPanel);
    auto* panel = c.zenSettingsPanel.get();
    EXPECT_EQ(panel->title(), "명상 설정");
    EXPECT_EQ(panel->zenDurationValue(), 3);
    panel->durationStepper()->increment();
    EXPECT_EQ(panel->durationLabel()->text(), "4");
    for (const auto& [typed, kept] :
         std::vector<std::pair<QString, int>>{{"90", 60},
                                              {"0", 1},
                                              {"abc", 1},
                                              {"-7", 1},
                                              {"99999999999999999999", 1},
                                              {"12", 12}}) {
        panel->durationLabel()->setText(typed);
        panel->controlTextDidEndEditing();
        EXPECT_EQ(panel->zenDurationValue(), kept) << typed.toStdString();
        EXPECT_EQ(panel->durationStepper()->integerValue(), kept);
    }
    panel->startClicked();
    advance();
    EXPECT_TRUE(c.isZenModeActive);
    EXPECT_EQ(c.zenSecondsRemaining, 12 * 60);
    EXPECT_FALSE(c.zenSettingsPanel) << "closed with the start";
    c.stopZenMode();

    c.zenButtonClicked();
    ASSERT_TRUE(c.zenSettingsPanel);
    EXPECT_EQ(c.zenSettingsPanel->zenDurationValue(), 3) << "every opening starts at 3";
    c.zenSettingsPanel->close();
    advance();
    EXPECT_FALSE(c.zenSettingsPanel);
}

TEST_F(ZenTest, EveryButtonOfTheBarShowsItsWholeTitle) {
    // English titles are the long ones ("Stop Meditation").
    defaults().set("appLanguage", std::string("en"));
    launch();
    controller().startZenMode(1);
    advance();
    int checked = 0;
    for (auto* b : appkit::subviews<ui::CustomCapsuleButton>(&view())) {
        if (b->title() != "Pause" && b->title() != "Stop Meditation") continue;
        EXPECT_GE(b->width(), b->sizeHint().width()) << b->title() << " is cut";
        ++checked;
    }
    EXPECT_EQ(checked, 2);
}

TEST_F(ZenTest, PausedAsTheBarStartsFadingKeepsTheBarAndTheCursor) {
    controller().startZenMode(3);
    advance(0.2);
    // The hide check is due 2.5 s after the start: pause at that very moment, and a little after.
    for (double after : {2.3, 2.4}) {
        advance(after);
        controller().toggleZenModePause();
        advance(1);
        EXPECT_TRUE(controller().isZenModePaused);
        EXPECT_EQ(view().controlBarAlpha(), 1.0) << after;
        EXPECT_TRUE(mac().input().cursorVisible()) << after;
        advance(10);
        EXPECT_EQ(view().controlBarAlpha(), 1.0) << "stays while paused";
        EXPECT_TRUE(mac().input().cursorVisible());
        controller().toggleZenModePause();
        advance(0.1);
    }
}
