// Start-up: the program started headless on the default machine and quit at once, against a
// minimal Qt Widgets program that shows a window and quits (empty, and with one line of text),
// all on the offscreen platform.
// Reports each one's median wall time and peak resident memory, and the ratios. The three run in
// turn, so a busy moment of the machine falls on all of them alike.

#include <benchmark/benchmark.h>

#include <algorithm>
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

constexpr int kRuns = 21;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Each command's median over kRuns, the commands taking turns.
std::vector<Run> medians(const std::vector<std::vector<std::string>>& commands) {
    std::vector<std::vector<double>> seconds(commands.size()), peaks(commands.size());
    for (int i = 0; i < kRuns; ++i)
        for (size_t c = 0; c < commands.size(); ++c) {
            const auto r = run(commands[c]);
            seconds[c].push_back(r.seconds);
            peaks[c].push_back(r.peakMiB);
        }
    std::vector<Run> out;
    for (size_t c = 0; c < commands.size(); ++c)
        out.push_back({median(seconds[c]), median(peaks[c])});
    return out;
}

void BM_StartUpAgainstMinimalQt(benchmark::State& state) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const std::string script = "/tmp/nightlid-bench-quit.nls";
    std::ofstream(script) << "quit\n";
    Run minimal, withText, program;
    for (auto _ : state) {
        const auto runs = medians({{NIGHTLID_MINIMAL_QT},
                                   {NIGHTLID_MINIMAL_QT, "text"},
                                   {NIGHTLID_PROGRAM, "--script", script}});
        minimal = runs[0];
        withText = runs[1];
        program = runs[2];
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
