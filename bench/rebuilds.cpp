// A month of wakes: a monitor unplugged and plugged in again 1,000 times, each time rebuilding
// the control window. Reports the process's resident memory after the first and the last hundred
// cycles and the time each hundred took; a rebuild that leaves something alive shows as growth.
// The same on Qt's own loop and the real clock, as the interactive simulator runs: some of Qt's
// caches fill only there.

#include "app/BlackoutController.h"
#include "appkit/Window.h"
#include "backend/scripting/Session.h"
#include "display/DisplayEngine.h"
#include "platform/ManualRunLoop.h"
#include "platform/SystemLog.h"
#include "platform/sim/SimulatorWindow.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <malloc.h>
#include <unistd.h>

namespace {

constexpr int kCycles = 1000;

double residentMiB() {
    // What the allocator keeps for later is given back first: only live memory is counted.
    malloc_trim(0);
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// What the program holds on the heap, apart from what the allocator keeps: when this stays flat
// while the resident size grows, the growth is the allocator's fragmentation, not the program's.
double heapInUseMiB() {
    return double(mallinfo2().uordblks) / (1024.0 * 1024.0);
}

void BM_UnplugPlugRebuilds(benchmark::State& state) {
    for (auto _ : state) {
        scripting::Session session(sim::VirtualMac::defaultDescription(), {});
        auto& mac = session.mac();
        session.launch();
        mac.advance(1);
        double firstHeapMiB = 0;
        double firstMiB = 0, halfMiB = 0, firstSeconds = 0, lastSeconds = 0;
        size_t firstEntries = 0;
        qsizetype firstWidgets = 0;
        const double startMiB = residentMiB();
        auto hundredStart = std::chrono::steady_clock::now();
        for (int i = 1; i <= kCycles; ++i) {
            mac.unplug(3);
            mac.advance(0.5);
            mac.plug(3);
            mac.advance(0.5);
            if (i % 100 != 0) continue;
            const auto now = std::chrono::steady_clock::now();
            const double took = std::chrono::duration<double>(now - hundredStart).count();
            hundredStart = now;
            if (i == 100) {
                firstEntries = mac.manualRunLoop()->pendingCount();
                firstWidgets = QApplication::allWidgets().size();
                firstMiB = residentMiB();
                firstHeapMiB = heapInUseMiB();
                firstSeconds = took;
            }
            if (i == kCycles) lastSeconds = took;
            if (i == kCycles / 2) halfMiB = residentMiB();
            mac.log().clear();
        }
        const double lastMiB = residentMiB();
        state.counters["heap_after_100_MiB"] = firstHeapMiB;
        state.counters["heap_after_1000_MiB"] = heapInUseMiB();
        state.counters["start_MiB"] = startMiB;
        state.counters["loop_entries_after_100"] = double(firstEntries);
        state.counters["loop_entries_after_1000"] = double(mac.manualRunLoop()->pendingCount());
        state.counters["widgets_after_100"] = double(firstWidgets);
        state.counters["widgets_after_1000"] = double(QApplication::allWidgets().size());
        state.counters["after_first_100_MiB"] = firstMiB;
        state.counters["after_1000_MiB"] = lastMiB;
        state.counters["after_500_MiB"] = halfMiB;
        state.counters["growth_KiB_per_cycle"] = (lastMiB - firstMiB) * 1024.0 / (kCycles - 100);
        state.counters["growth_KiB_per_cycle_last_500"] =
            (lastMiB - halfMiB) * 1024.0 / (kCycles / 2);
        state.counters["first_100_s"] = firstSeconds;
        state.counters["last_100_s"] = lastSeconds;
    }
}

// Runs Qt's loop until a new control window is up.
bool untilRebuilt(const appkit::Window* old) {
    QDeadlineTimer deadline(10000);
    auto rebuilt = [old] {
        if (!BlackoutController::hasShared()) return false;
        const auto& window = BlackoutController::shared().controlWindow;
        return window && window.get() != old && window->isVisible();
    };
    while (!rebuilt() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return rebuilt();
}

// The DDC reads a rebuild starts are waited for, so a backlog behind a monitor that never answers
// does not count as growth.
void settleRealTime() {
    DisplayEngine::shared().drainDDC();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

constexpr int kRealTimeCycles = 300;

void BM_UnplugPlugRebuildsOnQtsLoop(benchmark::State& state) {
    for (auto _ : state) {
        sim::VirtualMacOptions options;
        options.virtualTime = false;
        scripting::Session session(sim::VirtualMac::defaultDescription(), options);
        auto& mac = session.mac();
        // Beside the simulator's window, as `make run` shows it.
        sim::SimulatorWindow simulator(mac);
        simulator.show();
        session.launch();
        if (!untilRebuilt(nullptr)) {
            state.SkipWithError("the control window never opened");
            return;
        }
        // The TV's reads never answer and take seconds of real bus time each: it sits this out.
        const auto* first = BlackoutController::shared().controlWindow.get();
        mac.unplug(4);
        untilRebuilt(first);
        settleRealTime();
        double firstHeapMiB = 0, firstSeconds = 0, lastSeconds = 0;
        int rebuilds = 0;
        auto hundredStart = std::chrono::steady_clock::now();
        for (int i = 1; i <= kRealTimeCycles; ++i) {
            for (bool plugged : {false, true}) {
                const auto* old = BlackoutController::shared().controlWindow.get();
                plugged ? mac.plug(3) : mac.unplug(3);
                rebuilds += untilRebuilt(old) ? 1 : 0;
                settleRealTime();
            }
            if (i % 100 != 0) continue;
            const auto now = std::chrono::steady_clock::now();
            const double took = std::chrono::duration<double>(now - hundredStart).count();
            hundredStart = now;
            mac.log().clear();
            if (i == 100) {
                firstHeapMiB = heapInUseMiB();
                firstSeconds = took;
            }
            if (i == kRealTimeCycles) lastSeconds = took;
        }
        const double lastHeapMiB = heapInUseMiB();
        state.counters["rebuilds"] = rebuilds;
        state.counters["heap_after_100_MiB"] = firstHeapMiB;
        state.counters["heap_after_300_MiB"] = lastHeapMiB;
        state.counters["heap_growth_KiB_per_cycle"] =
            (lastHeapMiB - firstHeapMiB) * 1024.0 / (kRealTimeCycles - 100);
        state.counters["first_100_s"] = firstSeconds;
        state.counters["last_100_s"] = lastSeconds;
    }
}

} // namespace

BENCHMARK(BM_UnplugPlugRebuildsOnQtsLoop)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(BM_UnplugPlugRebuilds)->Unit(benchmark::kSecond)->Iterations(1);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
