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
