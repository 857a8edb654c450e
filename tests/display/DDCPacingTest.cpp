#include "display/DisplayEngine.h"
#include "platform/ManualRunLoop.h"
#include "platform/Platform.h"
#include "platform/sim/SimMonitor.h"
#include "platform/sim/VirtualMac.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

constexpr int kValues = 121; // two seconds at 60 values a second, both ends included

std::vector<ControlledDisplay> records(const std::vector<DisplayID>& ids) {
    auto& engine = DisplayEngine::shared();
    engine.refreshDisplays();
    std::vector<ControlledDisplay> out;
    for (auto id : ids)
        for (const auto& d : engine.displays)
            if (d.id == id) out.push_back(d);
    return out;
}

float valueAt(int i) {
    return 0.3f + 0.7f * float(i) / float(kValues - 1);
}

struct Outcome {
    std::vector<sim::SimMonitor::Frame> frames;
    int busiest = 0;
    uint16_t finalValue = 0;
    std::optional<uint64_t> lag;
};

// Drags monitor 2 beside the TV (which never answers) in virtual time.
Outcome dragBesideTheTv() {
    sim::VirtualMac mac(sim::VirtualMac::defaultDescription());
    mac.makeCurrent();
    auto& loop = *mac.manualRunLoop();
    auto dragged = records({2, 4});
    for (int i = 0; i < kValues; ++i) {
        for (const auto& r : dragged)
            DisplayEngine::shared().setBrightness(valueAt(i), r);
        if (i + 1 < kValues) loop.advance(1.0 / 60.0);
    }
    mac.advance(0.2);
    Outcome o;
    auto* m = mac.monitor(2);
    o.frames = m->frames();
    o.busiest = m->framesInBusiestSecond();
    o.finalValue = m->vcp(0x10)->current;
    if (auto asked = DisplayEngine::shared().lastAsked(2, 0x10))
        o.lag = m->arrivalAfter(asked->at, 0x10, asked->value);
    DisplayEngine::tearDownShared();
    platform::setCurrent(nullptr);
    return o;
}

} // namespace

TEST(DDCPacing, ADragInVirtualTimeIsPacedHeldPromptlyAndTheSameEveryRun) {
    const auto first = dragBesideTheTv();
    EXPECT_EQ(first.finalValue, 100);
    EXPECT_LE(first.frames.size(), 42u) << "two frames a value at most 20 values a second";
    EXPECT_GE(first.frames.size(), 20u) << "values keep reaching it during the drag";
    EXPECT_LE(first.busiest, 20);
    ASSERT_TRUE(first.lag) << "the last value reached the monitor";
    EXPECT_LE(*first.lag, 200'000u) << "the TV's retries do not hold it up";

    const auto second = dragBesideTheTv();
    ASSERT_EQ(second.frames.size(), first.frames.size());
    for (size_t i = 0; i < first.frames.size(); ++i) {
        EXPECT_EQ(second.frames[i].at, first.frames[i].at) << i;
        EXPECT_EQ(second.frames[i].value, first.frames[i].value) << i;
    }
}

TEST(DDCPacing, TheInteractiveMachineCoalescesARealTimeDrag) {
    sim::VirtualMacOptions options;
    options.virtualTime = false;
    sim::VirtualMac mac(sim::VirtualMac::defaultDescription(), options);
    mac.makeCurrent();
    auto dragged = records({2});
    ASSERT_EQ(dragged.size(), 1u);
    auto* m = mac.monitor(2);
    m->resetCounters();

    QEventLoop loop;
    QTimer timer;
    int sent = 0;
    timer.setInterval(1000 / 60);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        DisplayEngine::shared().setBrightness(valueAt(sent), dragged.front());
        if (++sent == kValues) {
            timer.stop();
            loop.quit();
        }
    });
    timer.start();
    loop.exec();
    DisplayEngine::shared().drainDDC();

    EXPECT_EQ(sent, kValues);
    EXPECT_EQ(m->vcp(0x10)->current, 100);
    // The monitor's bus time is real here: values that came while a frame was on its way were
    // folded into the next one.
    EXPECT_LE(m->validSetCount(), 50) << "at most one frame each 50 ms, a few more for timer slack";
    EXPECT_LT(m->validSetCount(), 2 * kValues);
    DisplayEngine::tearDownShared();
    platform::setCurrent(nullptr);
}
