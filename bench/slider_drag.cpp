// A brightness slider dragged at 60 values a second for 2 seconds against a DDC monitor whose
// bus and settle times are charged to virtual time. Reports how long after the last value the
// monitor holds it, and what the monitor received. The wall-clock figure is the program's own
// cost of one whole drag (registry refreshes included).

#include "display/DisplayEngine.h"
#include "platform/Clock.h"
#include "platform/ManualRunLoop.h"
#include "platform/SystemLog.h"
#include "platform/sim/SimMonitor.h"
#include "platform/sim/VirtualMac.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

constexpr int kRate = 60;
constexpr double kSeconds = 2.0;
constexpr double kWriteSettleSeconds = 0.010; // the transport's sleep before each write cycle

void BM_SliderDrag(benchmark::State& state) {
    sim::VirtualMac mac(sim::VirtualMac::defaultDescription());
    mac.makeCurrent();
    auto& engine = DisplayEngine::shared();
    const DisplayID dell = 2;
    auto* monitor = mac.monitor(dell);
    const int values = int(kRate * kSeconds);

    double lag = 0, backlog = 0;
    int framesReceived = 0;
    uint16_t finalValue = 0;
    for (auto _ : state) {
        monitor->resetCounters();
        engine.refreshDisplays();
        ControlledDisplay record;
        for (const auto& d : engine.displays)
            if (d.id == dell) record = d;

        // The queue runs one exchange at a time: an exchange starts when the value arrives or
        // when the one before it ends, whichever is later, and lasts what its sleeps and bus
        // operations cost in virtual time.
        double queueFreeAt = 0, lastStart = 0;
        for (int i = 0; i < values; ++i) {
            const double arrives = double(i) / kRate;
            const float value = 0.3f + 0.7f * float(i) / float(values - 1);
            const uint64_t before = mac.clock().sleptMicroseconds();
            engine.setBrightness(value, record);
            engine.ddcQueue.drain();
            mac.manualRunLoop()->runPending();
            const double cost = double(mac.clock().sleptMicroseconds() - before) / 1e6;
            lastStart = std::max(arrives, queueFreeAt);
            queueFreeAt = lastStart + cost;
        }
        const double lastArrives = double(values - 1) / kRate;
        // The monitor holds the value after the first write cycle of the last exchange.
        const double firstCycle = kWriteSettleSeconds + monitor->writeMicros() / 1e6;
        lag = lastStart + firstCycle - lastArrives;
        backlog = queueFreeAt - lastArrives;
        framesReceived = monitor->validSetCount();
        finalValue = monitor->vcp(0x10)->current;
        mac.log().clear();
    }
    state.counters["values_sent"] = values;
    state.counters["frames_received"] = framesReceived;
    state.counters["final_vcp"] = finalValue;
    state.counters["lag_to_last_value_s"] = lag;
    state.counters["queue_busy_after_last_s"] = backlog;
    DisplayEngine::tearDownShared();
    platform::setCurrent(nullptr);
}

} // namespace

BENCHMARK(BM_SliderDrag)->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
