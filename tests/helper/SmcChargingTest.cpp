// Charging switched through the controller's keys: which keys a machine has is found at start,
// the values land in the keys (read back), a machine without them is told and never written to,
// and the helper's loop runs a whole calibration on them.

#include "helper/HelperLoop.h"
#include "helper/SmcChargingHardware.h"
#include "platform/sim/VirtualSmc.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>

namespace {

using smc::fourCC;
using Bytes = std::vector<uint8_t>;

struct Battery {
    helper::BatteryReading reading{85, true};
};

class Gauge : public helper::BatteryGauge {
  public:
    explicit Gauge(Battery& battery) : battery_(battery) {}
    std::optional<helper::BatteryReading> read() override { return battery_.reading; }

  private:
    Battery& battery_;
};

// The machine: its controller (kept here, handed to the hardware), its battery and the log.
struct Machine {
    Battery battery;
    std::vector<std::string> logged;
    sim::VirtualSmc* controller = nullptr;
    std::unique_ptr<helper::SmcChargingHardware> hardware;

    explicit Machine(sim::SmcFirmware firmware, smc::ByteOrder order = smc::ByteOrder::little,
                     std::function<void(sim::VirtualSmc&)> arrange = {}) {
        auto smc = std::make_unique<sim::VirtualSmc>(firmware, nullptr, order);
        controller = smc.get();
        if (arrange) arrange(*controller);
        hardware = std::make_unique<helper::SmcChargingHardware>(
            std::move(smc), std::make_unique<Gauge>(battery),
            [this](const std::string& line) { logged.push_back(line); });
    }
    bool apply(bool inhibited, bool bypassed) {
        std::string error;
        return hardware->apply({inhibited, bypassed}, error);
    }
    std::string log() const {
        std::string all;
        for (const auto& l : logged)
            all += l + "\n";
        return all;
    }
};

} // namespace

TEST(SmcCharging, NewerFirmwareStopsChargingWithCHTEAndLeavesTheAdapterWithCHIE) {
    Machine mac(sim::SmcFirmware::newer);
    EXPECT_EQ(mac.hardware->keys(), helper::SmcChargingHardware::Keys::newer);
    EXPECT_TRUE(mac.hardware->whyNotControlled().empty());
    EXPECT_NE(mac.log().find("SMC byte order little-endian"), std::string::npos) << mac.log();
    EXPECT_NE(mac.log().find("charging through CHTE, the adapter through CHIE"), std::string::npos);
    EXPECT_GE(mac.controller->writes(), 2) << "at start it writes charge and on adapter";

    ASSERT_TRUE(mac.apply(true, false));
    EXPECT_EQ(mac.controller->bytes(fourCC("CHTE")), (Bytes{1, 0, 0, 0}));
    EXPECT_EQ(mac.controller->bytes(fourCC("CHIE")), Bytes{0});
    ASSERT_TRUE(mac.apply(true, true));
    EXPECT_EQ(mac.controller->bytes(fourCC("CHIE")), Bytes{0x08});
    EXPECT_TRUE(mac.controller->chargingInhibited() && mac.controller->adapterBypassed());

    // Stopping: back on the adapter, charging.
    std::string error;
    ASSERT_TRUE(mac.hardware->restoreNormalCharging(error)) << error;
    EXPECT_EQ(mac.controller->bytes(fourCC("CHTE")), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(mac.controller->bytes(fourCC("CHIE")), Bytes{0});
    EXPECT_EQ(mac.hardware->read()->percent, 85);

    // A big-endian controller gets CHTE's 1 in its own order.
    Machine intel(sim::SmcFirmware::newer, smc::ByteOrder::big);
    ASSERT_TRUE(intel.apply(true, false));
    EXPECT_EQ(intel.controller->bytes(fourCC("CHTE")), (Bytes{0, 0, 0, 1}));
}

TEST(SmcCharging, OlderFirmwareWritesBothHalvesOfTheSwitchAndCH0I) {
    Machine mac(sim::SmcFirmware::older);
    EXPECT_EQ(mac.hardware->keys(), helper::SmcChargingHardware::Keys::older);
    EXPECT_NE(mac.log().find("charging through CH0B and CH0C, the adapter through CH0I"),
              std::string::npos)
        << mac.log();
    ASSERT_TRUE(mac.apply(true, true));
    EXPECT_EQ(mac.controller->bytes(fourCC("CH0B")), Bytes{0x02});
    EXPECT_EQ(mac.controller->bytes(fourCC("CH0C")), Bytes{0x02});
    EXPECT_EQ(mac.controller->bytes(fourCC("CH0I")), Bytes{0x01});
    ASSERT_TRUE(mac.apply(false, false));
    EXPECT_EQ(mac.controller->bytes(fourCC("CH0B")), Bytes{0});
    EXPECT_EQ(mac.controller->bytes(fourCC("CH0C")), Bytes{0});
    EXPECT_EQ(mac.controller->bytes(fourCC("CH0I")), Bytes{0});
    EXPECT_EQ(mac.controller->bytes(fourCC("CHWA")), Bytes{0}) << "the firmware's own limit stays";
}

TEST(SmcCharging, AMachineWithoutTheKeysIsToldAndNeverWrittenTo) {
    Machine mac(sim::SmcFirmware::none);
    EXPECT_EQ(mac.hardware->keys(), helper::SmcChargingHardware::Keys::none);
    EXPECT_EQ(mac.hardware->whyNotControlled(),
              "this Mac's SMC has no charging keys the helper knows (CHTE missing, CH0B missing, "
              "CH0C missing)");
    EXPECT_NE(mac.log().find("CHTE missing, CH0B missing, CH0C missing); nothing is enforced"),
              std::string::npos)
        << mac.log();
    std::string error;
    EXPECT_FALSE(mac.hardware->apply({true, false}, error));
    EXPECT_TRUE(mac.hardware->restoreNormalCharging(error));
    EXPECT_EQ(mac.controller->writes(), 0);
    EXPECT_FALSE(mac.hardware->read()) << "nothing is decided where nothing can be enforced";

    // A user client that does not answer at all.
    Machine silent(sim::SmcFirmware::newer, smc::ByteOrder::little,
                   [](sim::VirtualSmc& smc) { smc.setAnswering(false); });
    EXPECT_EQ(silent.hardware->whyNotControlled().rfind("the SMC did not answer", 0), 0u)
        << silent.hardware->whyNotControlled();
}

TEST(SmcCharging, AKeyThatDoesNotKeepItsValueEndsControlWithChargingOn) {
    Machine mac(sim::SmcFirmware::newer);
    ASSERT_TRUE(mac.apply(true, false));
    // CHIE stops keeping values: charging is switched back on and control ends.
    mac.controller->forgetWritesTo(fourCC("CHIE"));
    std::string error;
    EXPECT_FALSE(mac.hardware->apply({true, true}, error));
    EXPECT_EQ(error, "CHIE read back 00 after writing 08; charging is left on and nothing is "
                     "enforced");
    EXPECT_EQ(mac.hardware->whyNotControlled(),
              "the SMC did not keep what the helper wrote (CHIE read back 00 after writing 08)");
    EXPECT_FALSE(mac.controller->chargingInhibited());
    const int writes = mac.controller->writes();
    EXPECT_FALSE(mac.apply(true, false));
    EXPECT_EQ(mac.controller->writes(), writes) << "a controller that refused is left alone";
}

TEST(SmcCharging, TheLoopRunsACalibrationOnTheKeysAndTellsTheProgramWhatItControls) {
    QTemporaryDir root;
    QDir().mkpath(root.path() + "/Nightlid");
    auto put = [&](const char* name, const std::string& text) {
        std::ofstream(root.path().toStdString() + "/Nightlid/" + name, std::ios::trunc) << text;
    };
    auto get = [&](const char* name) {
        QFile f(root.path() + "/Nightlid/" + name);
        return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string("(none)");
    };
    const int64_t start = 1772409600;
    put("limit.txt", "80");
    put("calibration.txt", "scheduled:" + std::to_string(start + 10) + ":80:0");
    Machine mac(sim::SmcFirmware::newer);
    helper::HelperCore core(root.path().toStdString(), "Nightlid",
                            [&](const std::string& l) { mac.logged.push_back(l); });
    helper::HelperLoop loop(core, *mac.hardware,
                            [&](const std::string& l) { mac.logged.push_back(l); });

    int64_t now = start;
    loop.poll(now);
    EXPECT_EQ(get("charging-control.txt"), "available");
    EXPECT_TRUE(mac.controller->chargingInhibited()) << "85% is above the limit";

    // The run starts: charge to 100 on the adapter.
    loop.poll(now += 10);
    EXPECT_EQ(get("calibration.txt").rfind("charging_100:", 0), 0u);
    EXPECT_FALSE(mac.controller->chargingInhibited() || mac.controller->adapterBypassed());
    mac.battery.reading.percent = 100;
    loop.poll(now += 2);
    loop.poll(now += 2);
    // Full: off the adapter, still plugged in, down to 15.
    EXPECT_EQ(get("calibration.txt").rfind("discharging_15:", 0), 0u);
    EXPECT_EQ(mac.controller->bytes(fourCC("CHTE")), (Bytes{1, 0, 0, 0}));
    EXPECT_EQ(mac.controller->bytes(fourCC("CHIE")), Bytes{0x08});
    mac.battery.reading.percent = 15;
    loop.poll(now += 2);
    // Back to the limit: on the adapter, charging up to 80.
    EXPECT_EQ(get("calibration.txt"), "inactive");
    EXPECT_EQ(get("limit.txt"), "80");
    EXPECT_FALSE(mac.controller->chargingInhibited() || mac.controller->adapterBypassed());

    // On a machine without the keys the loop decides nothing and says why in its file.
    Machine bare(sim::SmcFirmware::none);
    helper::HelperCore bareCore(root.path().toStdString(), "Nightlid", [](const std::string&) {});
    helper::HelperLoop bareLoop(bareCore, *bare.hardware, [](const std::string&) {});
    put("calibration.txt", "scheduled:" + std::to_string(start) + ":80:0");
    bareLoop.poll(now += 2);
    EXPECT_EQ(get("charging-control.txt"),
              "unavailable:this Mac's SMC has no charging keys the helper knows (CHTE missing, "
              "CH0B missing, CH0C missing)");
    EXPECT_EQ(get("calibration.txt").rfind("scheduled:", 0), 0u) << "no run starts";
    EXPECT_EQ(bare.controller->writes(), 0);
}
