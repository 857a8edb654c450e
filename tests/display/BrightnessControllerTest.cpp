#include "display/BrightnessController.h"
#include "app/BlackoutController.h"
#include "platform/sim/SimBrightness.h"
#include "support/VirtualMacTest.h"

class BuiltInBrightnessTest : public VirtualMacTest {
  protected:
    float panel() { return mac().description().displays[0].brightness; }
    void setPanel(float v) { mac().brightness().lookupSetBrightness()(1, v); }
};

TEST_F(BuiltInBrightnessTest, DimTwiceAndRestoreBringsBackTheFirstSavedBrightness) {
    setPanel(0.7f);
    auto shared = std::make_shared<BrightnessController>();
    shared->dim(1, {2, 3});
    EXPECT_FLOAT_EQ(panel(), 0.0f);
    EXPECT_TRUE(shared->savedExternalBrightnesses.empty())
        << "monitors have no DisplayServices brightness";
    setPanel(0.2f);
    shared->dim(1, {});
    EXPECT_EQ(*shared->savedDisplayServicesBrightness, 0.7f);
    shared->restore();
    EXPECT_FLOAT_EQ(panel(), 0.7f);
    EXPECT_FALSE(shared->savedDisplayServicesBrightness);
    // A restore with nothing saved changes nothing.
    setPanel(0.4f);
    shared->restore();
    EXPECT_FLOAT_EQ(panel(), 0.4f);
    advance(0.2); // the delayed re-application runs harmlessly
}

TEST_F(BuiltInBrightnessTest, WithoutDisplayServicesNothingIsDimmed) {
    auto d = sim::VirtualMac::defaultDescription();
    d.hasDisplayServices = false;
    boot(d);
    auto bc = std::make_shared<BrightnessController>();
    bc->dim(1, {});
    EXPECT_FLOAT_EQ(panel(), 0.8f);
    EXPECT_FALSE(bc->savedDisplayServicesBrightness);
}

TEST_F(BuiltInBrightnessTest, KeyboardBacklightGoesOffAndComesBackToItsLevels) {
    auto d = sim::VirtualMac::defaultDescription();
    d.keyboardBacklights = {{1, 0.6f}, {7, 0.25f}};
    boot(d);
    auto& c = BlackoutController::shared();
    c.turnOffKeyboardBacklight();
    EXPECT_FLOAT_EQ(mac().brightness().keyboards()[0].level, 0.0f);
    EXPECT_FLOAT_EQ(mac().brightness().keyboards()[1].level, 0.0f);
    EXPECT_EQ(c.savedKeyboardBrightnesses.size(), 2u);
    c.restoreKeyboardBacklight();
    EXPECT_FLOAT_EQ(mac().brightness().keyboards()[0].level, 0.6f);
    EXPECT_FLOAT_EQ(mac().brightness().keyboards()[1].level, 0.25f);
    EXPECT_TRUE(c.savedKeyboardBrightnesses.empty());

    d.keyboardBacklights.clear();
    boot(d);
    BlackoutController::shared().turnOffKeyboardBacklight();
    EXPECT_TRUE(BlackoutController::shared().savedKeyboardBrightnesses.empty());
}

TEST_F(BuiltInBrightnessTest, AmbientLightMovesThePanelOnlyWithAutoBrightnessOn) {
    mac().brightness().ambientLightChanged(0.3f);
    EXPECT_FLOAT_EQ(panel(), 0.3f);
    EXPECT_TRUE(mac().brightness().setDisplayAutoBrightnessEnabled(false));
    mac().brightness().ambientLightChanged(0.9f);
    EXPECT_FLOAT_EQ(panel(), 0.3f);
}
