// Brightness sliders dragged at 60 values a second for 2 seconds, with the DDC queue running
// alongside in virtual time: every sleep of an exchange (the transport's settle times, the bus
// times the machine gives each monitor) moves the clock, and the slider's values arrive at their
// own moments on it. Reports, per monitor, how long after the last value it holds it and how
// many Set VCP frames it took in its busiest second. The wall-clock figure is the program's own
// cost of one whole drag.

#include "display/DisplayEngine.h"
#include "platform/Clock.h"
#include "platform/ManualRunLoop.h"
#include "platform/SystemLog.h"
#include "platform/sim/SimMonitor.h"
#include "platform/sim/VirtualMac.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <deque>
#include <map>
#include <vector>

namespace {

constexpr int kRate = 60;
constexpr double kSeconds = 2.0;

struct Watch {
    std::vector<uint64_t> frames; // when each Set VCP of brightness arrived
    int seen = 0;
    std::optional<uint64_t> heldAt;
};

// Drags the given displays together; the first is the one reported.
void drag(benchmark::State& state, std::vector<DisplayID> dragged) {
    sim::VirtualMac mac(sim::VirtualMac::defaultDescription());
    mac.makeCurrent();
    auto& engine = DisplayEngine::shared();
    auto& clock = mac.clock();
    const int values = int(kRate * kSeconds);
    const uint16_t finalVcp = 100;
    std::map<DisplayID, Watch> watches;
    uint64_t lastArrives = 0;

    for (auto _ : state) {
        watches.clear();
        engine.refreshDisplays();
        std::vector<ControlledDisplay> records;
        for (auto id : dragged)
            for (const auto& d : engine.displays)
                if (d.id == id) records.push_back(d);
        for (auto id : dragged) {
            mac.monitor(id)->setVcp(0x10, {0, 100});
            watches[id].seen = mac.monitor(id)->validSetCount();
        }
        engine.ddcQueue.suspend();
        auto look = [&] {
            for (auto& [id, w] : watches) {
                auto* m = mac.monitor(id);
                for (int n = m->validSetCount(); w.seen < n; ++w.seen)
                    w.frames.push_back(clock.nowMicroseconds());
                if (!w.heldAt && m->vcp(0x10)->current == finalVcp && m->validSetCount() > 0 &&
                    clock.nowMicroseconds() >= lastArrives)
                    w.heldAt = clock.nowMicroseconds();
            }
        };
        const uint64_t start = clock.nowMicroseconds() + 1'000'000;
        lastArrives = start + uint64_t(values - 1) * 1'000'000 / kRate;
        int next = 0;
        // The slider's values land at their moments, also while the queue sleeps in an exchange.
        auto deliverDue = [&](uint64_t now) {
            for (; next < values && start + uint64_t(next) * 1'000'000 / kRate <= now; ++next) {
                const float value = 0.3f + 0.7f * float(next) / float(values - 1);
                for (const auto& r : records)
                    engine.setBrightness(value, r);
            }
        };
        clock.setSleepObserver(deliverDue);
        while (next < values) {
            if (engine.ddcQueue.runNext()) {
                look();
            } else {
                clock.advanceTo(start + uint64_t(next) * 1'000'000 / kRate);
                deliverDue(clock.nowMicroseconds());
            }
            mac.manualRunLoop()->runPending();
        }
        while (engine.ddcQueue.runNext())
            look();
        clock.setSleepObserver(nullptr);
        engine.ddcQueue.resume();
        mac.log().clear();
    }

    const auto& w = watches[dragged.front()];

    size_t busiest = 0;
    std::deque<uint64_t> window;
    for (auto t : w.frames) {
        window.push_back(t);
        while (t - window.front() >= 1'000'000)
            window.pop_front();
        busiest = std::max(busiest, window.size());
    }
    state.counters["values_sent"] = values;
    state.counters["frames_received"] = double(w.frames.size());
    state.counters["frames_in_busiest_second"] = double(busiest);
    state.counters["final_vcp"] = mac.monitor(dragged.front())->vcp(0x10)->current;
    state.counters["lag_to_last_value_ms"] =
        w.heldAt ? double(*w.heldAt - lastArrives) / 1000.0 : -1.0;
    DisplayEngine::tearDownShared();
    platform::setCurrent(nullptr);
}

void BM_SliderDrag(benchmark::State& state) {
    drag(state, {2});
}
void BM_TwoMonitorsDraggedTogether(benchmark::State& state) {
    drag(state, {2, 3});
}
// The TV never answers DDC/CI: every write to it runs through all its retries.
void BM_DragBesideAMonitorThatNeverAnswers(benchmark::State& state) {
    drag(state, {2, 4});
}

} // namespace

BENCHMARK(BM_SliderDrag)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_TwoMonitorsDraggedTogether)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_DragBesideAMonitorThatNeverAnswers)->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
