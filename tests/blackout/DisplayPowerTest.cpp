#include "appkit/Button.h"
#include "appkit/ImageView.h"
#include "appkit/LayerView.h"
#include "appkit/Slider.h"
#include "appkit/Window.h"
#include "blackout/RecoveryJournal.h"
#include "support/PowerTestSupport.h"

TEST_F(PowerTest, MonitorOffAtSixTenthsComesBackToSixTenths) {
    auto& c = controller();
    const uint16_t atSixTenths = 56; // (0.6 - 0.1) / 0.9 of the DDC range
    monitor(2).setVcp(0x10, {atSixTenths, 100});

    c.toggleDisplayPowerByID(2);
    advance();
    EXPECT_NEAR(c.poweredOffBrightnesses.at(2), 0.6f, 0.005f);
    EXPECT_EQ(luminance(2), 0);
    EXPECT_EQ(gamma(2), "black");
    EXPECT_TRUE(hasOverlay(2));
    EXPECT_FLOAT_EQ(c.currentBrightnesses.at(2), 0.0f);
    EXPECT_EQ(tip(2), "DELL U2723QE 화면 켜기");
    EXPECT_TRUE(c.hasActiveOffMode());

    monitor(2).resetCounters();
    c.toggleDisplayPowerByID(2);
    advance();
    EXPECT_TRUE(c.poweredOffBrightnesses.empty());
    EXPECT_EQ(gamma(2), "identity");
    EXPECT_EQ(luminance(2), atSixTenths);
    EXPECT_FALSE(hasOverlay(2));
    EXPECT_NEAR(defaults().number("displayBrightness.DELL U2723QE").value_or(0), 0.6, 0.005);
    EXPECT_EQ(tip(2), "DELL U2723QE 화면 끄기");
    // The brightness is sent again 0.15 s later, for a monitor still settling.
    advance(0.2);
    EXPECT_EQ(monitor(2).valuesWritten(0x10), (std::vector<uint16_t>(4, atSixTenths)));
    EXPECT_EQ(luminance(3), 70) << "the identical monitor is untouched";
}

TEST_F(PowerTest, RestoreValueIsTheLargestBrightnessKnownAboveZero) {
    auto& c = controller();
    // Dragged to 0 by hand: the current value does not count, the last known ones do.
    auto* slider = appkit::viewWithTag<appkit::Slider>(c.controlWindow->contentView(), 1001);
    ASSERT_TRUE(slider);
    slider->setDoubleValue(0.0);
    c.brightnessChanged(*slider);
    advance(0.4);
    defaults().set("lastKnownDisplayBrightness.DELL U2723QE", 0.45f);
    c.lastKnownBrightnesses[2] = 0.7f;
    c.toggleDisplayPowerByID(2);
    EXPECT_FLOAT_EQ(c.poweredOffBrightnesses.at(2), 0.7f);
    c.toggleDisplayPowerByID(2);
    advance(0.4);
    EXPECT_EQ(luminance(2), 67);

    // Nothing known: the monitor is read over DDC.
    c.toggleDisplayPowerByID(3);
    EXPECT_FLOAT_EQ(c.poweredOffBrightnesses.at(3), 0.73f) << "VCP 70 of 100";

    // The TV answers nothing and nothing is known: it must still come back lit, at 0.5 ...
    c.toggleDisplayPowerByID(4);
    EXPECT_FLOAT_EQ(c.poweredOffBrightnesses.at(4), 0.5f);
    c.toggleDisplayPowerByID(4);
    advance(0.4);
    EXPECT_FALSE(c.poweredOffBrightnesses.count(4));
    EXPECT_FALSE(hasOverlay(4)) << "a display switched on is never left under the dark overlay";
    EXPECT_EQ(gamma(4), "identity");
    EXPECT_EQ(defaults().number("displayBrightness.LG TV SSCR2"), 0.5f);
    // ... or at its stored brightness when one above zero is stored.
    c.storeBrightness("displayBrightness.LG TV SSCR2", c.displayRecord(4, false), 0.3f);
    defaults().remove("lastKnownDisplayBrightness.LG TV SSCR2");
    c.currentBrightnesses.erase(4);
    c.lastKnownBrightnesses.erase(4);
    c.toggleDisplayPowerByID(4);
    EXPECT_FLOAT_EQ(c.poweredOffBrightnesses.at(4), 0.3f);
    c.toggleDisplayPowerByID(4);
    advance(0.4);
    EXPECT_FALSE(hasOverlay(4));

    // A display neither cached nor in the registry: nothing happens.
    c.toggleDisplayPowerByID(99);
    EXPECT_EQ(c.poweredOffBrightnesses.size(), 1u) << "display 3 stays off";
}

TEST_F(PowerTest, PanelGoesOffByBacklightAloneAndComesBack) {
    auto& c = controller();
    const int resets = mac().brightness().colorSyncResets();
    c.toggleDisplayPowerByID(1);
    EXPECT_FLOAT_EQ(panel(), 0.0f);
    EXPECT_FLOAT_EQ(c.poweredOffBrightnesses.at(1), 0.8f);
    EXPECT_FALSE(c.lastBuiltInBrightness) << "a dark panel is no baseline for the sync";
    EXPECT_EQ(gamma(1), "identity");
    EXPECT_TRUE(c.originalGammaTables.empty()) << "no gamma table is touched";
    EXPECT_EQ(tip(1), "Built-in Liquid Retina XDR Display 밝기 켜기");

    c.toggleDisplayPowerByID(1);
    EXPECT_FLOAT_EQ(panel(), 0.8f);
    advance();
    EXPECT_EQ(c.lastBuiltInBrightness, 0.8f) << "read back once it landed";
    EXPECT_FLOAT_EQ(c.currentBrightnesses.at(1), 0.8f) << "its slider shows it again";
    EXPECT_FALSE(defaults().number("displayBrightness.Built-in Liquid Retina XDR Display"));
    EXPECT_EQ(mac().brightness().colorSyncResets(), resets);
}

TEST_F(PowerTest, TileToggleAndItsDrawingFollowTheState) {
    auto& c = controller();
    auto* toggle = c.powerButtons.at(2).data();
    auto* tile = dynamic_cast<appkit::LayerView*>(c.powerContainers.at(2).data());
    ASSERT_TRUE(tile);
    EXPECT_EQ(tile->height(), 125);
    EXPECT_EQ(tile->width(), 154) << "a full row of three";
    EXPECT_EQ(c.powerContainers.at(4)->width(), 160) << "the fourth display starts a new row";
    EXPECT_EQ(toggle->tag(), 2001);
    auto icons = appkit::subviews<appkit::ImageView>(tile);
    auto* icon = icons.empty() ? nullptr : icons.front();
    ASSERT_TRUE(icon && icon->image());
    EXPECT_TRUE(icon->image()->isTemplate);
    EXPECT_EQ(icon->image()->accessibilityDescription, "DELL U2723QE");

    using appkit::SystemColor;
    EXPECT_EQ(icon->contentTintColor(), appkit::color(SystemColor::controlAccent));
    EXPECT_EQ(tile->borderColor(),
              appkit::color(SystemColor::controlAccent).withAlphaComponent(0.5));
    toggle->performClick();
    EXPECT_TRUE(c.poweredOffBrightnesses.count(2));
    EXPECT_EQ(icon->contentTintColor(), appkit::color(SystemColor::label).withAlphaComponent(0.4));
    EXPECT_EQ(tile->borderColor(), appkit::color(SystemColor::separator));
    EXPECT_EQ(tile->layerBackgroundColor(), appkit::color(SystemColor::clear));
    EXPECT_EQ(toggle->accessibilityLabel(), "DELL U2723QE 화면 켜기");

    // The state survives a rebuild of the window, in English this time.
    c.languageChanged(1);
    EXPECT_EQ(tip(2), "Turn On DELL U2723QE Screen");
    EXPECT_EQ(tip(3), "Turn Off DELL U2723QE Screen");
    EXPECT_EQ(tip(1), "Turn Off Built-in Liquid Retina XDR Display Brightness");
    c.powerButtons.at(2)->performClick();
    EXPECT_FALSE(c.poweredOffBrightnesses.count(2));
}

TEST_F(PowerTest, SwitchImageShowsTheKnobOnTheSideOfItsState) {
    auto pixel = [](const appkit::Image& image, double x, double y) {
        return image.bitmap.pixelColor(int(x * 2), int(y * 2));
    };
    auto on = BlackoutController::toggleSwitchImage(false);
    auto off = BlackoutController::toggleSwitchImage(true);
    EXPECT_EQ(on.size, QSizeF(36, 20));
    EXPECT_EQ(on.bitmap.size(), QSize(72, 40));
    EXPECT_EQ(pixel(on, 26, 10), QColor(Qt::white)) << "knob on the right when on";
    EXPECT_EQ(pixel(on, 7, 10), QColor(0x00, 0x7a, 0xff)) << "blue track when on";
    EXPECT_EQ(pixel(off, 10, 10), QColor(Qt::white)) << "knob on the left when off";
    EXPECT_LT(pixel(off, 29, 10).alpha(), 64) << "a faint separator track when off";
    EXPECT_EQ(pixel(on, 0, 0).alpha(), 0) << "rounded corners";
}

TEST_F(PowerTest, IdenticalMonitorsComeBackAtTheirOwnBrightness) {
    auto& c = controller();
    // The twins share the name's stored keys; each comes back at what it held.
    monitor(2).setVcp(0x10, {22, 100});
    monitor(3).setVcp(0x10, {89, 100});
    c.toggleDisplayPowerByID(2);
    EXPECT_NEAR(c.poweredOffBrightnesses.at(2), 0.298f, 0.001f);
    c.toggleDisplayPowerByID(2);
    advance(0.4);
    EXPECT_EQ(luminance(2), 22) << "not the other monitor's 89";

    // Dragged to 0 by hand, nothing remembered: its own kept value, not the name's, which its
    // twin wrote last.
    auto* slider = appkit::viewWithTag<appkit::Slider>(c.controlWindow->contentView(), 1001);
    ASSERT_TRUE(slider);
    slider->setDoubleValue(0.0);
    c.brightnessChanged(*slider);
    advance(0.4);
    c.lastKnownBrightnesses.clear();
    defaults().set("lastKnownDisplayBrightness.DELL U2723QE", 0.9f);
    c.toggleDisplayPowerByID(2);
    EXPECT_NEAR(c.poweredOffBrightnesses.at(2), 0.298f, 0.001f) << "not the twin's 0.9";
}

TEST_F(PowerTest, SwitchedOffDisplayThatLeftKeepsItsTileAndCardAndComesBackOn) {
    auto& c = controller();
    c.toggleDisplayPowerByID(3);
    ASSERT_TRUE(mac().unplug(3));
    advance(0.1);
    // Rebuilt without display 3 online, yet its tile and card are still there, from the cache.
    EXPECT_TRUE(c.powerButtons.count(3));
    EXPECT_EQ(cardTitles().size(), 4u + 3u);
    EXPECT_TRUE(c.powerButtons.at(3)->toolTip().contains("켜기"));

    ASSERT_TRUE(mac().plug(3));
    advance(0.1);
    c.powerButtons.at(3)->performClick();
    advance(0.4);
    EXPECT_FALSE(c.poweredOffBrightnesses.count(3));
    EXPECT_EQ(gamma(3), "identity");
    EXPECT_EQ(luminance(3), 70);
}

TEST_F(AppTest, AMonitorCountingTo255ComesBackToItsOwnValueEveryTime) {
    auto m = sim::VirtualMac::defaultDescription();
    m.displays[1].monitor->vcp[0x10] = {128, 255};
    boot(m);
    launch();
    auto& c = controller();
    for (int i = 0; i < 4; ++i) {
        c.toggleDisplayPowerByID(2);
        advance(0.5);
        EXPECT_EQ(monitor(2).vcp(0x10)->current, 0);
        c.toggleDisplayPowerByID(2);
        advance(0.5);
        EXPECT_EQ(monitor(2).vcp(0x10)->current, 128) << "round " << i;
    }
    c.startZenMode(1);
    advance(1);
    EXPECT_LT(monitor(2).vcp(0x10)->current, 128);
    c.stopZenMode(false);
    advance(1);
    EXPECT_EQ(monitor(2).vcp(0x10)->current, 128);
    EXPECT_TRUE(c.recoveryJournal->empty());
}
