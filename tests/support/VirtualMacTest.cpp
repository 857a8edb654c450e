#include "support/VirtualMacTest.h"

#include "app/BlackoutController.h"
#include "display/DisplayEngine.h"
#include "platform/Clock.h"
#include "platform/SerialQueue.h"

#include <algorithm>

void VirtualMacTest::SetUp() {
    boot(sim::VirtualMac::defaultDescription());
}

void VirtualMacTest::TearDown() {
    shutDown();
}

void VirtualMacTest::shutDown() {
    if (!mac_) return;
    // Work still on the machine's queues ends before the program does.
    mac_->settle();
    mac_->clock().ungate();
    if (auto* global = mac_->platform().globalQueue) global->drain();
    BlackoutController::tearDownShared();
    DisplayEngine::tearDownShared();
    platform::setCurrent(nullptr);
    mac_.reset();
}

void VirtualMacTest::boot(sim::MachineDescription description, sim::VirtualMacOptions options) {
    shutDown();
    mac_ = std::make_unique<sim::VirtualMac>(std::move(description), std::move(options));
    mac_->makeCurrent();
    // A test answers the alerts it expects (queueAnswers); any other is a failure.
    mac_->alerts().setUnexpected([](const platform::AlertRequest& alert) {
        ADD_FAILURE() << "an alert nobody expected: \"" << alert.messageText << "\"";
    });
}

void VirtualMacTest::bootJson(const std::string& json) {
    std::string error;
    auto d = sim::VirtualMac::parse(json, &error);
    ASSERT_TRUE(d.has_value()) << error;
    boot(*d);
}

sim::SimMonitor& VirtualMacTest::monitor(DisplayID id) {
    auto m = mac_->monitor(id);
    if (!m) throw std::runtime_error("no simulated monitor for display " + std::to_string(id));
    return *m;
}

void VirtualMacTest::settle() {
    mac_->settle();
}

void VirtualMacTest::advance(double seconds, double) {
    // Timers and the device queues' exchanges take turns in one virtual time.
    mac_->advance(seconds);
}
