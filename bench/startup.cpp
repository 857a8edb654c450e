// Start-up: the program started headless on the default machine and quit at once, against a
// minimal Qt Widgets program that shows a window and quits (empty, and with one line of text),
// all on the offscreen platform.
// Reports each one's wall time and peak resident memory, and the ratios.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

struct Run {
    double seconds = 0;
    double peakMiB = 0;
};

Run run(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return {};
    int status = 0;
    struct rusage usage {};
    wait4(pid, &status, 0, &usage);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    return {took.count(), double(usage.ru_maxrss) / 1024.0};
}

constexpr int kRuns = 10;

Run average(const std::vector<std::string>& args) {
    Run sum;
    for (int i = 0; i < kRuns; ++i) {
        auto r = run(args);
        sum.seconds += r.seconds;
        sum.peakMiB += r.peakMiB;
    }
    return {sum.seconds / kRuns, sum.peakMiB / kRuns};
}

void BM_StartUpAgainstMinimalQt(benchmark::State& state) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const std::string script = "/tmp/nightlid-bench-quit.nls";
    std::ofstream(script) << "quit\n";
    Run minimal, withText, program;
    for (auto _ : state) {
        minimal = average({NIGHTLID_MINIMAL_QT});
        withText = average({NIGHTLID_MINIMAL_QT, "text"});
        program = average({NIGHTLID_PROGRAM, "--script", script});
    }
    state.counters["program_ms"] = program.seconds * 1000;
    state.counters["program_MiB"] = program.peakMiB;
    state.counters["minimal_ms"] = minimal.seconds * 1000;
    state.counters["minimal_MiB"] = minimal.peakMiB;
    state.counters["minimal_text_ms"] = withText.seconds * 1000;
    state.counters["time_ratio"] = program.seconds / minimal.seconds;
    state.counters["time_ratio_to_text"] = program.seconds / withText.seconds;
    state.counters["memory_ratio"] = program.peakMiB / minimal.peakMiB;
}

} // namespace

BENCHMARK(BM_StartUpAgainstMinimalQt)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_MAIN();
