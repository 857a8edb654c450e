#include "support/VirtualMacTest.h"

#include "app/BlackoutController.h"
#include "display/DisplayEngine.h"
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
    auto loop = mac_->manualRunLoop();
    for (int round = 0; round < 3; ++round) {
        if (auto* global = mac_->platform().globalQueue; global && !global->isIdle())
            global->drain();
        if (DisplayEngine::hasShared() && !DisplayEngine::shared().ddcQueue.isIdle())
            DisplayEngine::shared().ddcQueue.drain();
        loop->runPending();
    }
}

void VirtualMacTest::advance(double seconds, double step) {
    auto loop = mac_->manualRunLoop();
    const double end = loop->now() + seconds;
    // From one due moment to the next, but no further than a step at a time.
    for (;;) {
        settle();
        const auto due = loop->nextDue();
        if (!due || *due > end + 1e-9) break;
        loop->advance(std::clamp(*due - loop->now(), 0.0, step));
    }
    loop->advance(std::max(0.0, end - loop->now()));
    settle();
}
