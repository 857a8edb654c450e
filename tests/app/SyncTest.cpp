#include "appkit/Slider.h"
#include "platform/BuiltInBrightness.h"
#include "platform/sim/SimAudio.h"
#include "support/PowerTestSupport.h"

namespace {

// The panel's brightness set by the system, then one tick of the sync timer.
void panelTo(PowerTest&, BlackoutController& c, float level) {
    platform::current().builtInBrightness->lookupSetBrightness()(1, level);
    c.syncBrightnessIfNeeded();
}

} // namespace

TEST_F(PowerTest, PanelChangesMoveTheMonitorsProportionallyOrAdditively) {
    auto& c = controller();
    c.lastBuiltInBrightness = 0.40f;
    c.currentBrightnesses[2] = 0.50f;
    c.currentBrightnesses[3] = 0.80f;
    panelTo(*this, c, 0.60f);
    advance(0.1);
    EXPECT_FLOAT_EQ(c.currentBrightnesses.at(2), 0.75f);
    EXPECT_FLOAT_EQ(c.currentBrightnesses.at(3), 1.0f) << "1.2 is clamped";
    EXPECT_EQ(luminance(2), 72);

    // From a nearly dark panel the change is added, not multiplied.
    c.lastBuiltInBrightness = 0.005f;
    c.currentBrightnesses[2] = 0.5f;
    panelTo(*this, c, 0.20f);
    EXPECT_NEAR(c.currentBrightnesses.at(2), 0.695f, 1e-5);

    // Under half a percent nothing moves; a switched-off monitor is never moved.
    panelTo(*this, c, 0.204f);
    EXPECT_NEAR(c.currentBrightnesses.at(2), 0.695f, 1e-5);
    c.toggleDisplayPowerByID(3);
    panelTo(*this, c, 0.40f);
    EXPECT_FLOAT_EQ(c.currentBrightnesses.at(3), 0.0f);
    EXPECT_NEAR(c.currentBrightnesses.at(2), 1.0f, 1e-5);

    // Dragging the panel's own slider moves the baseline with it: no sync follows.
    auto* slider = appkit::viewWithTag<appkit::Slider>(c.controlWindow->contentView(), 1000);
    ASSERT_TRUE(slider);
    c.currentBrightnesses[2] = 0.5f;
    slider->performDrag(0.9);
    c.syncBrightnessIfNeeded();
    EXPECT_FLOAT_EQ(c.currentBrightnesses.at(2), 0.5f);
}

TEST_F(PowerTest, VolumeSliderFollowsTheSoundOutputAndSwitchedOffSlidersWakeTheirDisplay) {
    auto& c = controller();
    auto* content = c.controlWindow->contentView();
    auto* panelVolume = appkit::viewWithTag<appkit::Slider>(content, 3000);
    auto* dellVolume = appkit::viewWithTag<appkit::Slider>(content, 3001);
    ASSERT_TRUE(panelVolume && dellVolume);
    EXPECT_TRUE(panelVolume->isEnabled()) << "the speakers play";
    EXPECT_FALSE(dellVolume->isEnabled());
    EXPECT_FALSE(c.volumeLabels.at(3001)->isEnabled()) << "its label greyed with it";
    EXPECT_TRUE(c.volumeLabels.at(3000)->isEnabled());

    mac().audio().setDefaultOutputByName("DELL U2723QE");
    advance(0.1);
    EXPECT_FALSE(panelVolume->isEnabled());
    EXPECT_TRUE(dellVolume->isEnabled());
    dellVolume->performDrag(0.4);
    advance(0.2);
    EXPECT_EQ(monitor(2).vcp(0x62)->current, 40);
    EXPECT_EQ(defaults().number("volume_2"), 0.4f);

    // The panel's volume drives the default output and the speakers both.
    mac().audio().setDefaultOutputByName("USB Headset");
    advance(0.1);
    panelVolume->setEnabled(true);
    panelVolume->performDrag(0.3);
    for (const auto& d : mac().audio().devices()) {
        if (d.name == "USB Headset" || d.name == "MacBook Pro 스피커") {
            EXPECT_FLOAT_EQ(d.volume, 0.3f) << d.name;
        }
    }

    // A switched-off monitor's brightness slider switches it back on when moved.
    c.toggleDisplayPowerByID(3);
    auto* dell3 = appkit::viewWithTag<appkit::Slider>(content, 1002);
    dell3->setEnabled(true);
    dell3->performDrag(0.6);
    advance(0.2);
    EXPECT_FALSE(c.poweredOffBrightnesses.count(3));
    EXPECT_EQ(gamma(3), "identity");
    EXPECT_EQ(luminance(3), 56);
}

TEST_F(PowerTest, TheAutoBrightnessCheckboxShowsWhatTheSystemHolds) {
    auto& c = controller();
    c.showControlWindow();
    ASSERT_TRUE(c.autoBrightnessCheckbox);
    auto& box = *c.autoBrightnessCheckbox;
    ASSERT_EQ(box.state(), appkit::ControlState::on) << "the machine starts with it on";

    // Switched off and on: the system follows, and the sync checkbox with it.
    box.performClick();
    EXPECT_FALSE(mac().description().autoBrightness);
    EXPECT_FALSE(c.autoSyncButton->isEnabled());
    box.performClick();
    EXPECT_TRUE(mac().description().autoBrightness);
    EXPECT_TRUE(c.autoSyncButton->isEnabled());

    // A switch that refuses: the box goes back to what the system reports.
    auto refusing = mac().description();
    refusing.autoBrightnessRefused = true;
    boot(refusing);
    launch();
    controller().showControlWindow();
    auto& refused = *controller().autoBrightnessCheckbox;
    refused.performClick();
    EXPECT_TRUE(mac().description().autoBrightness);
    EXPECT_EQ(refused.state(), appkit::ControlState::on);

    // Without CoreBrightness nothing reports: the click is undone.
    auto missing = mac().description();
    missing.hasCoreBrightness = false;
    boot(missing);
    launch();
    controller().showControlWindow();
    auto& absent = *controller().autoBrightnessCheckbox;
    const auto before = absent.state();
    absent.performClick();
    EXPECT_EQ(absent.state(), before);
}

TEST_F(AppTest, TheSyncsBaselineIsThePanelAsReadAndADarkPanelMovesNothing) {
    // The panel is dark at launch; what was remembered of it is no baseline.
    auto m = sim::VirtualMac::defaultDescription();
    m.displays[0].brightness = 0.0f;
    boot(m);
    defaults().set("lastKnownDisplayBrightness.Built-in Liquid Retina XDR Display", 0.8f);
    launch();
    auto& c = controller();
    advance(3);
    EXPECT_EQ(monitor(2).vcp(0x10)->current, 50) << "never driven to 0 by a dark panel";
    EXPECT_EQ(monitor(3).vcp(0x10)->current, 70);
    EXPECT_FALSE(c.lastBuiltInBrightness.has_value());

    // Lit, the panel gives the baseline; its next change moves the monitors.
    platform().builtInBrightness->lookupSetBrightness()(1, 0.4f);
    advance(1.5);
    EXPECT_EQ(monitor(2).vcp(0x10)->current, 50);
    platform().builtInBrightness->lookupSetBrightness()(1, 0.6f);
    advance(1.5);
    EXPECT_EQ(monitor(2).vcp(0x10)->current, 81) << "0.55 x 1.5";

    // Dark again (the brightness keys): the monitors stay, and the old baseline with them.
    platform().builtInBrightness->lookupSetBrightness()(1, 0.0f);
    advance(2.5);
    EXPECT_EQ(monitor(2).vcp(0x10)->current, 81);
    platform().builtInBrightness->lookupSetBrightness()(1, 0.6f);
    advance(1.5);
    EXPECT_EQ(monitor(2).vcp(0x10)->current, 81);
}
