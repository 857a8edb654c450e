// What one registry refresh costs: a slider drag pays it for every value it sends, and the
// registry is walked again only after it changed.

#include "display/DisplayEngine.h"
#include "platform/SystemLog.h"
#include "platform/sim/SimRegistry.h"
#include "platform/sim/VirtualMac.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

namespace {

// cold: the registry changes before every refresh (a display came or went), so it is walked.
void refreshOn(benchmark::State& state, sim::MachineDescription description, bool cold = false) {
    sim::VirtualMac mac(std::move(description));
    mac.makeCurrent();
    auto& engine = DisplayEngine::shared();
    auto& registry = static_cast<sim::SimRegistry&>(*mac.platform().ioRegistry);
    for (auto _ : state) {
        if (cold) registry.entriesChanged();
        engine.refreshDisplays();
        benchmark::DoNotOptimize(engine.displays.data());
        mac.log().clear();
    }
    DisplayEngine::tearDownShared();
    platform::setCurrent(nullptr);
}

void BM_RefreshDefaultMachine(benchmark::State& state) {
    refreshOn(state, sim::VirtualMac::defaultDescription());
}

// The default machine's four displays inside a registry of 5,000 entries.
sim::MachineDescription largeRegistry(benchmark::State& state) {
    auto d = sim::VirtualMac::defaultDescription();
    d.registryRoot = sim::generateRegistry(d);
    auto& top = d.registryRoot.children.front();
    int count = 0;
    std::function<void(const sim::RegistryNode&)> countAll = [&](const sim::RegistryNode& n) {
        for (const auto& c : n.children) {
            ++count;
            countAll(c);
        }
    };
    countAll(d.registryRoot);
    for (int i = 0; count < 5000; ++i) {
        sim::RegistryNode bus{"IOPCIDevice@" + std::to_string(i), {}, {}, std::nullopt, false};
        for (int j = 0; j < 9 && count + 1 < 5000; ++j, ++count)
            bus.children.push_back(
                {"IOUSBHostInterface@" + std::to_string(j), {}, {}, std::nullopt, false});
        top.children.insert(top.children.begin(), bus);
        ++count;
    }
    state.counters["entries"] = count;
    return d;
}

void BM_RefreshLargeRegistry(benchmark::State& state) {
    refreshOn(state, largeRegistry(state));
}

void BM_RefreshLargeRegistryAfterAChange(benchmark::State& state) {
    refreshOn(state, largeRegistry(state), true);
}

} // namespace

BENCHMARK(BM_RefreshDefaultMachine)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RefreshLargeRegistry)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RefreshLargeRegistryAfterAChange)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
