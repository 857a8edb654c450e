// The helper's Mac adapter whole: AppleSMC opened and driven through IOKit in memory (its user
// client answering as the virtual Mac's controller does), and the battery's registry entry read.

#include "FakeCoreFoundation.h"
#include "FakeIOKit.h"
#include "platform/mac/MacSmc.h"
#include "platform/sim/VirtualSmc.h"

#include <gtest/gtest.h>

namespace {

class MacSmc : public ::testing::Test {
  protected:
    void SetUp() override {
        fakeiokit::reset();
        fakeiokit::state().controller = &controller;
    }
    void TearDown() override {
        hardware.reset();
        EXPECT_EQ(fakeiokit::state().servicesHeld, 0);
        EXPECT_EQ(fakeiokit::state().connectionsOpen, 0);
        EXPECT_EQ(fakecf::liveObjects(), 0);
    }
    void make() {
        hardware = mac::makeSmcChargingHardware([this](const std::string& l) { log += l + "\n"; });
    }
    void battery(int64_t current, int64_t maximum, std::optional<bool> external) {
        auto& b = fakeiokit::state().battery;
        b = {{"CurrentCapacity", current}, {"MaxCapacity", maximum}};
        if (external) b["ExternalConnected"] = *external;
    }

    sim::VirtualSmc controller{sim::SmcFirmware::newer};
    std::unique_ptr<helper::ChargingHardware> hardware;
    std::string log;
};

} // namespace

TEST_F(MacSmc, TheControllerIsDrivenThroughItsUserClientAndTheBatteryReadAsARatio) {
    make();
    EXPECT_EQ(hardware->whyNotControlled(), "");
    std::string error;
    ASSERT_TRUE(hardware->apply({true, false}, error)) << error;
    EXPECT_TRUE(controller.chargingInhibited());
    ASSERT_TRUE(hardware->restoreNormalCharging(error)) << error;
    EXPECT_FALSE(controller.chargingInhibited());

    // Intel Macs report mAh, Apple silicon percentages: rounded to the nearest percent.
    battery(4351, 5000, true);
    ASSERT_TRUE(hardware->read());
    EXPECT_EQ(hardware->read()->percent, 87);
    EXPECT_TRUE(hardware->read()->adapterConnected);
    battery(4975, 5000, false);
    EXPECT_EQ(hardware->read()->percent, 100);
    EXPECT_FALSE(hardware->read()->adapterConnected);
    battery(80, 100, true);
    EXPECT_EQ(hardware->read()->percent, 80);
    battery(120, 100, true);
    EXPECT_EQ(hardware->read()->percent, 100) << "a gauge past full is full";

    // What cannot be read is no reading, never a guess.
    battery(80, 100, std::nullopt);
    EXPECT_FALSE(hardware->read());
    battery(80, 0, true);
    EXPECT_FALSE(hardware->read());
    battery(-1, 100, true);
    EXPECT_FALSE(hardware->read());
    fakeiokit::state().battery = {
        {"CurrentCapacity", true}, {"MaxCapacity", int64_t(100)}, {"ExternalConnected", true}};
    EXPECT_FALSE(hardware->read());
    fakeiokit::state().battery = {{"CurrentCapacity", int64_t(80)},
                                  {"MaxCapacity", int64_t(100)},
                                  {"ExternalConnected", int64_t(1)}};
    EXPECT_FALSE(hardware->read());
    fakeiokit::state().batteryPresent = false;
    EXPECT_FALSE(hardware->read());
}

TEST_F(MacSmc, AControllerThatCannotBeReachedOrAnswersShortEnforcesNothingAndSaysWhy) {
    fakeiokit::state().smcPresent = false;
    make();
    EXPECT_EQ(hardware->whyNotControlled(), "there is no AppleSMC service");
    EXPECT_NE(log.find("there is no AppleSMC service; nothing is enforced"), std::string::npos);

    fakeiokit::reset();
    fakeiokit::state().controller = &controller;
    fakeiokit::state().openResult = int(0xe00002c1); // not permitted
    make();
    EXPECT_EQ(hardware->whyNotControlled(), "AppleSMC could not be opened (0xe00002c1)");

    // An answer shorter than the structure is not read as one.
    fakeiokit::reset();
    fakeiokit::state().controller = &controller;
    fakeiokit::state().answerSize = 40;
    make();
    EXPECT_NE(hardware->whyNotControlled(), "");
    EXPECT_NE(log.find("the answer has 40 bytes, not 80"), std::string::npos) << log;
    std::string error;
    EXPECT_FALSE(hardware->apply({true, false}, error));
    EXPECT_FALSE(controller.chargingInhibited());
    EXPECT_EQ(controller.writes(), 0);
}
