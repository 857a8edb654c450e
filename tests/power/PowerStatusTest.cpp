#include "power/PowerStatus.h"
#include "app/AppTestSupport.h"

namespace {

sim::MachineDescription withBattery(sim::BatteryDescription battery) {
    auto m = laptopWithTwoMonitors();
    m.battery = battery;
    return m;
}

} // namespace

TEST_F(AppTest, PowerStatusReadsTheServiceThenTheBatteryEntry) {
    // The registry says no adapter although the service reports AC power.
    sim::BatteryDescription b;
    b.registryOverrides.set("ExternalConnected", false);
    b.registryOverrides.set("FedDetails", platform::Value(platform::ValueArray{}));
    b.profilerMaxCapacity = 87;
    boot(withBattery(b));
    auto& c = controller();
    PowerStatus s = c.fetchPowerStatus();
    EXPECT_EQ(s.healthPercent, 92) << "the registry's figure while the profiler runs off the main "
                                      "thread";
    advance();
    s = c.fetchPowerStatus();
    EXPECT_FALSE(s.isConnected);
    EXPECT_TRUE(s.isDrawingFromAC);
    EXPECT_EQ(s.healthPercent, 87) << "the profiler's figure, as printed";
    EXPECT_EQ(s.watts, 96);

    // A USB-C port controller in milliwatts; then an AdapterDetails without Watts.
    b = {};
    b.wattsFrom = "portController";
    b.adapterWatts = 96;
    b.profilerMaxCapacity.reset();
    b.rawMaxCapacity = 5000;
    b.designCapacity = 4800;
    b.permanentFailureStatus = 1;
    b.batteryHealth = "Check Battery";
    boot(withBattery(b));
    s = controller().fetchPowerStatus();
    EXPECT_TRUE(s.isConnected);
    EXPECT_EQ(s.watts, 96);
    EXPECT_EQ(s.healthPercent, 100) << "5000 over 4800 is capped";
    EXPECT_EQ(s.condition, "교체 필요");
    defaults().set("appLanguage", "en");
    EXPECT_EQ(controller().getConditionTranslation(s.condition), "Service Recommended");
    platform::Value adapter;
    adapter.set("Name", "Unknown");
    b.registryOverrides.set("AdapterDetails", adapter);
    b.permanentFailureStatus = 0;
    b.rawMaxCapacity = 4430;
    boot(withBattery(b));
    s = controller().fetchPowerStatus();
    EXPECT_FALSE(s.watts);
    EXPECT_EQ(s.condition, "확인 필요");
    EXPECT_EQ(s.healthPercent, 92) << "4430 / 4800, truncated";
    b.rawMaxCapacity = 2147483647;
    b.designCapacity = 1;
    boot(withBattery(b));
    EXPECT_EQ(controller().fetchPowerStatus().healthPercent, 100) << "capped, never wrapped";

    // A desktop: the defaults.
    auto desktop = laptopWithTwoMonitors();
    desktop.battery.reset();
    boot(desktop);
    s = controller().fetchPowerStatus();
    EXPECT_EQ(s.percent, 100);
    EXPECT_EQ(s.condition, "정상");
    EXPECT_FALSE(s.isConnected);
}

TEST_F(AppTest, ASlowProfilerAnswersInTheMachinesTimeWhileTheProgramGoesOn) {
    sim::BatteryDescription b;
    b.profilerMaxCapacity = 87;
    b.profilerSeconds = 20;
    boot(withBattery(b));
    auto& c = controller();
    EXPECT_EQ(c.fetchPowerStatus().healthPercent, 92) << "asked: the registry's figure meanwhile";
    advance(10);
    EXPECT_LT(mac().manualRunLoop()->now(), 11) << "time moves as asked, not to the answer";
    EXPECT_EQ(c.fetchPowerStatus().healthPercent, 92)
        << "10 s in, the profiler is still at work: the registry's figure";
    advance(11);
    EXPECT_EQ(c.fetchPowerStatus().healthPercent, 87) << "its answer after its 20 s";
}

TEST(PowerStatus, ProfilerOutputIsReadFromItsMaximumCapacityLine) {
    EXPECT_EQ(maximumCapacityFromProfilerOutput("Health:\n   Maximum Capacity: 87%\n"), 87);
    EXPECT_EQ(maximumCapacityFromProfilerOutput("Maximum Capacity: 104 %"), 104);
    EXPECT_EQ(maximumCapacityFromProfilerOutput("Maximum Capacity: unknown"), 0);
    EXPECT_EQ(maximumCapacityFromProfilerOutput("Cycle Count: 5"), 0);
    EXPECT_EQ(maximumCapacityFromProfilerOutput(std::string("Maximum Capacity: \xff 9", 21)), 0);
}
