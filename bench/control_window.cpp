// What building the control window costs, from nothing to laid out: on the default machine and
// on one with eight displays.

#include "app/AppDelegate.h"
#include "app/BlackoutController.h"
#include "appkit/Window.h"
#include "display/DisplayEngine.h"
#include "platform/ManualRunLoop.h"
#include "platform/SerialQueue.h"
#include "platform/SystemLog.h"
#include "platform/sim/VirtualMac.h"

#include <QApplication>
#include <benchmark/benchmark.h>

namespace {

void build(benchmark::State& state, sim::MachineDescription description) {
    sim::VirtualMac mac(std::move(description));
    mac.makeCurrent();
    auto& c = BlackoutController::shared();
    for (auto _ : state) {
        if (c.controlWindow) c.controlWindow->close();
        c.showControlWindow();
        mac.platform().globalQueue->drain();
        mac.manualRunLoop()->runPending();
        benchmark::DoNotOptimize(c.controlWindow->snapshot().width());
        state.PauseTiming();
        mac.log().clear();
        state.ResumeTiming();
    }
    mac.platform().globalQueue->drain();
    BlackoutController::tearDownShared();
    DisplayEngine::tearDownShared();
    platform::setCurrent(nullptr);
}

void BM_ControlWindowDefaultMachine(benchmark::State& state) {
    build(state, sim::VirtualMac::defaultDescription());
}

// The panel and seven monitors, four of them answering DDC/CI.
void BM_ControlWindowEightDisplays(benchmark::State& state) {
    auto d = sim::VirtualMac::defaultDescription();
    const auto monitor = d.displays[1];
    for (int i = 0; i < 4; ++i) {
        auto extra = monitor;
        extra.id = 10 + i;
        extra.frame.x = 7000 + 2600 * i;
        extra.screenName = "DELL U2723QE #" + std::to_string(i + 2);
        if (extra.info.isDict())
            extra.info.set("DisplaySerialNumber", platform::Value(int64_t(900000 + i)));
        d.displays.push_back(extra);
    }
    state.counters["displays"] = double(d.displays.size());
    build(state, d);
}

} // namespace

BENCHMARK(BM_ControlWindowDefaultMachine)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ControlWindowEightDisplays)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
