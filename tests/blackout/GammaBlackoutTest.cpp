#include "app/BlackoutController.h"
#include "platform/sim/SimBrightness.h"
#include "support/VirtualMacTest.h"

class GammaBlackoutTest : public VirtualMacTest {
  protected:
    sim::SimBrightness& hw() { return mac().brightness(); }
    BlackoutController& controller() { return BlackoutController::shared(); }
    // A table the user's calibration left behind, so a restore to identity would be wrong.
    void calibrate(DisplayID id, uint32_t samples) {
        std::vector<float> ramp(samples);
        for (uint32_t i = 0; i < samples; ++i)
            ramp[i] = 0.9f * float(i) / float(samples - 1);
        hw().setDisplayTransferByTable(id, samples, ramp.data(), ramp.data(), ramp.data());
    }
};

TEST_F(GammaBlackoutTest, DoubleBlackoutAndOneRestoreBringBackTheOriginalTable) {
    calibrate(2, 256);
    auto original = hw().gamma(2).red;
    controller().blackoutDisplayViaGamma(2);
    EXPECT_EQ(hw().gamma(2).kind(), "black");
    EXPECT_EQ(hw().gamma(2).red.size(), 256u);
    controller().blackoutDisplayViaGamma(2);
    controller().restoreDisplayViaGamma(2);
    EXPECT_EQ(hw().gamma(2).kind(), "custom");
    EXPECT_EQ(hw().gamma(2).red, original);
    EXPECT_FALSE(controller().originalGammaTables.count(2));
    EXPECT_EQ(hw().colorSyncResets(), 0);
}

TEST_F(GammaBlackoutTest, TablesComeBackAtTheirOwnSampleCount) {
    auto d = sim::VirtualMac::defaultDescription();
    d.displays[2].gammaSamples = 1024;
    boot(d);
    calibrate(3, 1024);
    controller().blackoutDisplayViaGamma(3);
    EXPECT_EQ(controller().originalGammaTables.at(3).sampleCount, 1024u);
    controller().restoreDisplayViaGamma(3);
    EXPECT_EQ(hw().gamma(3).red.size(), 1024u);
    EXPECT_EQ(hw().gamma(3).kind(), "custom");
}

TEST_F(GammaBlackoutTest, RestoreWithoutSavedTableOrAfterAFailureResetsColorSync) {
    controller().blackoutDisplayViaGamma(2);
    controller().restoreDisplayViaGamma(3); // never blacked out
    EXPECT_EQ(hw().colorSyncResets(), 1);
    EXPECT_EQ(hw().gamma(2).kind(), "identity") << "the reset also lifts another display's black";

    auto d = sim::VirtualMac::defaultDescription();
    d.displays[1].gammaReadFails = true;
    boot(d);
    controller().blackoutDisplayViaGamma(2);
    EXPECT_EQ(hw().gamma(2).kind(), "black") << "an unreadable table is blacked out all the same";
    EXPECT_FALSE(controller().originalGammaTables.count(2));

    d.displays[1].gammaReadFails = false;
    d.displays[1].gammaWriteFails = true;
    boot(d);
    controller().blackoutDisplayViaGamma(2);
    EXPECT_TRUE(
        log().contains("Failed to set display gamma table to black for display 2, error: 1000"));
    controller().restoreDisplayViaGamma(2);
    EXPECT_TRUE(log().contains("Failed to restore gamma table for display 2, error: 1000. Falling "
                               "back to default settings."));
    EXPECT_EQ(hw().colorSyncResets(), 1);
    EXPECT_FALSE(controller().originalGammaTables.count(2));
}
