#pragma once
// A test on a fresh virtual Mac: arrange the machine, act through the controller or a control,
// advance virtual time, assert on the virtual hardware.

#include "display/ControlledDisplay.h"
#include "platform/ManualRunLoop.h"
#include "platform/SystemLog.h"
#include "platform/UserDefaults.h"
#include "platform/sim/SimAlerts.h"
#include "platform/sim/SimMonitor.h"
#include "platform/sim/SimStatusItem.h"
#include "platform/sim/VirtualMac.h"

#include <gtest/gtest.h>

#include <memory>

class VirtualMacTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Replaces the machine with one built from this description (fresh profile, fresh singletons).
    void boot(sim::MachineDescription description, sim::VirtualMacOptions options = {});
    // The same from JSON text; fails the test on a parse error.
    void bootJson(const std::string& json);

    sim::VirtualMac& mac() { return *mac_; }
    platform::Platform& platform() { return mac_->platform(); }
    platform::UserDefaults& defaults() { return *mac_->platform().defaults; }
    platform::SystemLog& log() { return mac_->log(); }
    sim::SimMonitor& monitor(DisplayID id);
    // Runs everything due in the next seconds of virtual time, draining the DDC queue between
    // steps so its queued work lands before the main queue's follow-ups run.
    // Long waits may take larger steps.
    void advance(double seconds = 0, double step = 0.01);

  private:
    void settle();
    void shutDown();
    std::unique_ptr<sim::VirtualMac> mac_;
};
