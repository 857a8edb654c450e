// What refreshing the battery card costs on the main thread: with the profiler's result
// cached (every refresh after the first), and the first refresh, which starts the profiler as a
// child process off the main thread (answering at once or taking half a second).

#include "app/BlackoutController.h"
#include "display/DisplayEngine.h"
#include "platform/ManualRunLoop.h"
#include "platform/SerialQueue.h"
#include "platform/sim/VirtualMac.h"

#include <QApplication>
#include <benchmark/benchmark.h>

namespace {

void refresh(benchmark::State& state, double profilerSeconds, bool cached) {
    auto d = sim::VirtualMac::defaultDescription();
    d.battery->profilerSeconds = profilerSeconds;
    sim::VirtualMac mac(std::move(d));
    mac.makeCurrent();
    auto& c = BlackoutController::shared();
    c.showControlWindow();
    mac.manualRunLoop()->runPending();
    for (auto _ : state) {
        if (!cached) {
            c.cachedMaxCapacity.reset();
            c.systemProfilerAsked = false;
        }
        c.updatePowerStatusUI();
        mac.manualRunLoop()->runPending();
    }
    mac.platform().globalQueue->drain();
    BlackoutController::tearDownShared();
    DisplayEngine::tearDownShared();
    platform::setCurrent(nullptr);
}

void BM_PowerCardRefreshCached(benchmark::State& state) {
    refresh(state, 0, true);
}
void BM_PowerCardFirstRefreshProfilerAtOnce(benchmark::State& state) {
    refresh(state, 0, false);
}
void BM_PowerCardFirstRefreshProfilerHalfSecond(benchmark::State& state) {
    refresh(state, 0.5, false);
}

} // namespace

BENCHMARK(BM_PowerCardRefreshCached)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PowerCardFirstRefreshProfilerAtOnce)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PowerCardFirstRefreshProfilerHalfSecond)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
