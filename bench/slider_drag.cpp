// Brightness sliders dragged at 60 values a second for 2 seconds on the virtual Mac in virtual
// time: the run loop delivers the values at their moments while the DDC queue's exchanges take
// their time (the transport's settle times, the bus times the machine gives each monitor).
// Reports, per monitor, how long after the last value it holds it and how many Set VCP frames
// it took in its busiest second. The wall-clock figure is the program's own cost of one drag.

#include "display/DisplayEngine.h"
#include "platform/Clock.h"
#include "platform/ManualRunLoop.h"
#include "platform/SystemLog.h"
#include "platform/sim/SimMonitor.h"
#include "platform/sim/VirtualMac.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

#include <vector>

namespace {

constexpr int kRate = 60;
constexpr double kSeconds = 2.0;

// Drags the given displays together; the first is the one reported.
void drag(benchmark::State& state, std::vector<DisplayID> dragged) {
    sim::VirtualMac mac(sim::VirtualMac::defaultDescription());
    mac.makeCurrent();
    auto& engine = DisplayEngine::shared();
    auto& loop = *mac.manualRunLoop();
    const int values = int(kRate * kSeconds);
    auto* reported = mac.monitor(dragged.front());
    int framesBefore = 0;

    for (auto _ : state) {
        engine.refreshDisplays();
        std::vector<ControlledDisplay> records;
        for (auto id : dragged)
            for (const auto& d : engine.displays)
                if (d.id == id) records.push_back(d);
        for (auto id : dragged) {
            mac.monitor(id)->setVcp(0x10, {0, 100});
            mac.monitor(id)->resetCounters();
        }
        framesBefore = reported->validSetCount();
        mac.advance(1.0);
        for (int i = 0; i < values; ++i) {
            const float value = 0.3f + 0.7f * float(i) / float(values - 1);
            for (const auto& r : records)
                engine.setBrightness(value, r);
            if (i + 1 < values) loop.advance(1.0 / kRate);
        }
        mac.settle();
        mac.log().clear();
    }

    const auto asked = engine.lastAsked(dragged.front(), 0x10);
    const auto lag = asked ? reported->arrivalAfter(asked->at, 0x10, asked->value) : std::nullopt;
    state.counters["values_sent"] = values;
    state.counters["frames_received"] = double(reported->validSetCount() - framesBefore);
    state.counters["frames_in_busiest_second"] = double(reported->framesInBusiestSecond());
    state.counters["final_vcp"] = reported->vcp(0x10)->current;
    state.counters["lag_to_last_value_ms"] = lag ? double(*lag) / 1000.0 : -1.0;
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
