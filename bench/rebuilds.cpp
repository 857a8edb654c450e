// A month of wakes: a monitor unplugged and plugged in again 1,000 times, each time rebuilding
// the control window. Reports the process's resident memory after the first and the last hundred
// cycles and the time each hundred took; a rebuild that leaves something alive shows as growth.

#include "platform/ManualRunLoop.h"
#include "platform/SystemLog.h"
#include "backend/scripting/Session.h"

#include <QApplication>
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

} // namespace

BENCHMARK(BM_UnplugPlugRebuilds)->Unit(benchmark::kSecond)->Iterations(1);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
