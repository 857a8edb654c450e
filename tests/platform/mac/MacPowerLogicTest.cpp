// The power adapter whole, against IOKit's power sources and assertions in memory: what the
// battery card reads, and which references it must and must not release.

#include "FakeCoreFoundation.h"
#include "FakePowerSources.h"
#include "platform/mac/MacServices.h"

#include <gtest/gtest.h>

namespace {

class MacPower : public ::testing::Test {
  protected:
    void SetUp() override { fakeps::reset(); }
    void TearDown() override {
        fakeps::reset();
        EXPECT_EQ(fakecf::liveObjects(), 0) << "a Copy result or a run-loop source leaked";
        EXPECT_EQ(fakecf::overReleases(), releasedBefore) << "a Get result was released";
    }
    int releasedBefore = fakecf::overReleases();
};

} // namespace

TEST_F(MacPower, DescriptionsKeepTheirKindsAndOnlyTheCopiesAreReleased) {
    auto& system = fakeps::state();
    system.sources = {{{"Type", std::string("InternalBattery")},
                       {"Name", std::string("InternalBattery-0")},
                       {"Current Capacity", int64_t(57)},
                       {"Max Capacity", int64_t(100)},
                       {"Is Charging", true},
                       {"Power Source State", std::string("AC Power")}},
                      {{"Type", std::string("UPS")}, {"Current Capacity", int64_t(90)}},
                      {{"Type", std::string("UPS")}, {"Current Capacity", int64_t(12)}}};
    system.undescribed = {1};
    auto sources = mac::makePowerSources();

    auto read = sources->powerSourceDescriptions();
    ASSERT_TRUE(read);
    ASSERT_EQ(read->size(), 2u) << "a source without a description is left out";
    const platform::Value& battery = (*read)[0];
    EXPECT_EQ(*battery.find("Power Source State"), platform::Value("AC Power"));
    ASSERT_TRUE(battery.find("Is Charging")->isBool());
    EXPECT_EQ(battery.find("Is Charging")->boolean(), true);
    ASSERT_TRUE(battery.find("Current Capacity")->isInteger());
    EXPECT_EQ(battery.find("Current Capacity")->integer(), 57);
    EXPECT_EQ((*read)[1].find("Current Capacity")->integer(), 12);
    EXPECT_EQ(fakecf::liveObjects(), 0);

    // Read again: nothing held over from the first time.
    EXPECT_EQ(sources->powerSourceDescriptions(), read);
    EXPECT_EQ(fakecf::liveObjects(), 0);

    system.listAvailable = false;
    EXPECT_FALSE(sources->powerSourceDescriptions()) << "no list: no information, not none";
    EXPECT_EQ(fakecf::liveObjects(), 0) << "the information released without its list";
    system.infoAvailable = false;
    EXPECT_FALSE(sources->powerSourceDescriptions());
}

TEST_F(MacPower, ChangeNoticesReachTheirCallbacksThroughTheMainRunLoop) {
    auto sources = mac::makePowerSources();
    int first = 0, second = 0;
    ASSERT_TRUE(sources->addPowerSourceNotification([&] { ++first; }));
    ASSERT_TRUE(sources->addPowerSourceNotification([&] { ++second; }));
    EXPECT_EQ(fakeps::notify(), 2);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 1);

    fakeps::state().notificationAvailable = false;
    EXPECT_FALSE(sources->addPowerSourceNotification([&] { ++first; }));
    EXPECT_EQ(fakeps::notify(), 2);
    EXPECT_EQ(first, 2);
    // TearDown: once the run loop lets go, the adapter holds no source of its own.
}

TEST_F(MacPower, AssertionsCarryTheirTypeAndNameAndReportTheSystemsRefusal) {
    auto assertions = mac::makePowerAssertions();
    uint32_t id = 0;
    ASSERT_EQ(assertions->createAssertion("PreventUserIdleDisplaySleep", 255,
                                          "Nightlid keeps the display on", id),
              0);
    ASSERT_EQ(fakeps::state().assertions.count(id), 1u);
    EXPECT_EQ(fakeps::state().assertions[id].type, "PreventUserIdleDisplaySleep");
    EXPECT_EQ(fakeps::state().assertions[id].name, "Nightlid keeps the display on");
    EXPECT_EQ(fakeps::state().assertions[id].level, 255u);
    EXPECT_EQ(fakecf::liveObjects(), 0) << "the type and name strings released";

    EXPECT_EQ(assertions->releaseAssertion(id), 0);
    EXPECT_TRUE(fakeps::state().assertions.empty());

    fakeps::state().assertionResult = int32_t(0xE00002BC); // kIOReturnError
    uint32_t untouched = 77;
    EXPECT_EQ(assertions->createAssertion("PreventUserIdleSystemSleep", 255, "Nightlid", untouched),
              int32_t(0xE00002BC));
    EXPECT_EQ(untouched, 77u) << "a refused assertion has no ID to release later";
}
