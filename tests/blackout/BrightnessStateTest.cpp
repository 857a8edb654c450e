#include "appkit/Slider.h"
#include "appkit/Window.h"
#include "support/PowerTestSupport.h"

#include <QLabel>

namespace {

// The brightness slider and label the control window built for the display at a position.
struct SliderRow {
    appkit::Slider* slider;
    QLabel* label;
};

SliderRow sliderRow(BlackoutController& c, int position) {
    const int tag = 1000 + position;
    return {appkit::viewWithTag<appkit::Slider>(c.controlWindow->contentView(), tag),
            c.brightnessLabels.at(tag).data()};
}

} // namespace

TEST_F(PowerTest, SlidersAreFilledFromTheHardwareOrFromWhatWasRemembered) {
    auto& c = controller();
    auto dell = sliderRow(c, 1);
    auto tv = sliderRow(c, 3);
    ASSERT_TRUE(dell.slider && tv.slider);
    defaults().set("displayBrightness.LG TV SSCR2", 0.3f);
    c.currentBrightnesses.clear();
    c.lastKnownBrightnesses.clear();
    defaults().remove("lastKnownDisplayBrightness.LG TV SSCR2");

    c.loadBrightnessValues();
    advance();
    EXPECT_FLOAT_EQ(dell.slider->floatValue(), 0.55f) << "VCP 50 of 100, above the overlay's tenth";
    EXPECT_EQ(dell.label->text().toStdString(), "55%");
    EXPECT_FLOAT_EQ(c.currentBrightnesses.at(2), 0.55f);
    EXPECT_FLOAT_EQ(c.lastKnownBrightnesses.at(2), 0.55f);
    // The TV cannot be read and nothing better is known: its saved brightness.
    EXPECT_NEAR(tv.slider->doubleValue(), 0.3, 1e-6);
    EXPECT_EQ(tv.label->text().toStdString(), "30%");

    // Switched off: the slider shows 0 and is disabled; the last known value stays.
    c.toggleDisplayPowerByID(2);
    EXPECT_FALSE(dell.slider->isEnabled());
    EXPECT_EQ(dell.label->text().toStdString(), "0%");
    EXPECT_FLOAT_EQ(c.lastKnownBrightnesses.at(2), 0.55f);
    c.loadBrightnessValues();
    advance();
    EXPECT_DOUBLE_EQ(dell.slider->doubleValue(), 0.0);

    c.toggleDisplayPowerByID(2);
    advance(0.4);
    EXPECT_TRUE(dell.slider->isEnabled());
    // Reloaded from the monitor 0.35 s later, it reads back what was set: no drift.
    EXPECT_FLOAT_EQ(dell.slider->floatValue(), 0.55f);
    EXPECT_EQ(dell.label->text().toStdString(), "55%");
    EXPECT_EQ(luminance(2), 50);

    // A display without a slider is not shown anywhere, and nothing is recorded for it.
    ControlledDisplay elsewhere;
    elsewhere.id = 99;
    c.updateSlider(elsewhere, 0.9f);
    EXPECT_FALSE(c.currentBrightnesses.count(99));
}

TEST_F(PowerTest, BaselineIsThePanelsBrightnessOrNoneWithoutAPanel) {
    auto& c = controller();
    c.refreshBuiltInBaseline();
    EXPECT_EQ(c.lastBuiltInBrightness, 0.8f);

    auto lidClosed = sim::VirtualMac::defaultDescription();
    lidClosed.displays[0].online = false;
    boot(lidClosed);
    launch();
    controller().lastBuiltInBrightness = 0.4f;
    controller().refreshBuiltInBaseline();
    EXPECT_FALSE(controller().lastBuiltInBrightness.has_value());
}

TEST_F(AppTest, AMonitorWhoseFirstReadFailsNeverTakesItsTwinsValue) {
    // Display 3 is silent at launch; its twin 2 (same name, same stored keys) reads 0.55.
    auto m = sim::VirtualMac::defaultDescription();
    m.displays[2].monitor->answers = false;
    boot(m);
    defaults().set("lastKnownDisplayBrightness.DELL U2723QE", 0.55f);
    defaults().set("displayBrightness.DELL U2723QE", 0.55f);
    launch();
    auto& c = controller();
    EXPECT_FLOAT_EQ(c.currentBrightnesses.at(2), 0.55f);
    EXPECT_FALSE(c.currentBrightnesses.count(3) && c.currentBrightnesses.at(3) == 0.55f);

    // Switched off and on once it answers, it comes back at its own brightness.
    monitor(3).setAnswers(true);
    c.toggleDisplayPowerByID(3);
    advance(0.5);
    EXPECT_FLOAT_EQ(c.poweredOffBrightnesses.at(3), 0.73f);
    c.toggleDisplayPowerByID(3);
    advance(0.5);
    EXPECT_EQ(monitor(3).vcp(0x10)->current, 70);
    EXPECT_EQ(monitor(2).vcp(0x10)->current, 50);
}

TEST_F(AppTest, AReadingTakenWhileDarkThatArrivesAfterTheHoldEndedIsDropped) {
    // A slow monitor: its reading takes longer than what happens meanwhile on the main queue.
    auto m = sim::VirtualMac::defaultDescription();
    m.displays[1].monitor->readMicros = 400'000;
    boot(m);
    launch();
    advance(1);
    auto& c = controller();
    c.startZenMode(1);
    advance(1);
    // The sliders are filled (a reopen) while Zen holds the monitor dark; Zen ends before the
    // monitor answers.
    platform::mainQueue().asyncAfter(0.1, [&c] { c.stopZenMode(false); });
    c.loadBrightnessValues();
    advance(2);
    EXPECT_EQ(monitor(2).vcp(0x10)->current, 50);
    EXPECT_FLOAT_EQ(c.currentBrightnesses.at(2), 0.55f) << "not the dimmed reading";
    auto* slider = appkit::viewWithTag<appkit::Slider>(c.controlWindow->contentView(), 1001);
    ASSERT_TRUE(slider);
    EXPECT_FLOAT_EQ(slider->floatValue(), 0.55f);
    EXPECT_GT(defaults().number("lastKnownDisplayBrightness.DELL U2723QE").value_or(0), 0.5);
    c.toggleDisplayPowerByID(2);
    EXPECT_FLOAT_EQ(c.poweredOffBrightnesses.at(2), 0.55f);
}
