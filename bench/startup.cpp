// Start-up against the same-content yardstick (bench/yardstick/): a plain Qt Widgets program that
// opens a window with the control window's texts, fonts, sizes and controls, draws it once and
// quits. Nightlid is started with a script that only quits, on the default machine, offscreen:
//   virtual  in virtual time (`--script`), as the tests and the acceptance checks run it;
//   real     on the real clock (`--real-time --script`): the virtual devices take their real bus
//            and settle times, and the script's line runs once they have answered.
// Each reports its medians and its ratios to the yardstick in wall time, CPU time (user + system)
// and context switches (voluntary + involuntary), each ratio the median of paired runs: every
// round runs all the commands one after another, in an order that turns from round to round, so a
// busy moment of the machine falls on all of them alike. The least Qt Widgets program (an empty
// window drawn once) is timed beside them.
// A run that cannot be started or does not exit 0 fails the benchmark and the program's exit.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

bool failed = false;

struct Run {
    double seconds = 0;
    double cpuSeconds = 0;
    double switches = 0;
    double peakMiB = 0;
};

double seconds(const timeval& t) {
    return double(t.tv_sec) + double(t.tv_usec) / 1e6;
}

std::string readAll(const std::string& path) {
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs a command to its end, its output kept aside; an empty error when it exited 0.
Run run(std::vector<std::string> args, std::string& error) {
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const std::string output = "/tmp/nightlid-bench-startup.out";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        error = args[0] + " could not be started (error " + std::to_string(spawned) + ")";
        return {};
    }
    int status = 0;
    struct rusage usage {};
    if (wait4(pid, &status, 0, &usage) != pid) {
        error = args[0] + " could not be waited for";
        return {};
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::ostringstream why;
        why << args[0] << (WIFEXITED(status) ? " exited with " : " was killed by signal ")
            << (WIFEXITED(status) ? WEXITSTATUS(status) : WTERMSIG(status)) << ": "
            << readAll(output);
        error = why.str();
    }
    return {took.count(), seconds(usage.ru_utime) + seconds(usage.ru_stime),
            double(usage.ru_nvcsw + usage.ru_nivcsw), double(usage.ru_maxrss) / 1024.0};
}

constexpr int kRounds = 21;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Every command's runs, kRounds rounds; the order turns each round.
std::vector<std::vector<Run>> rounds(const std::vector<std::vector<std::string>>& commands,
                                     std::string& error) {
    std::vector<std::vector<Run>> runs(commands.size());
    for (int round = 0; round < kRounds; ++round)
        for (size_t i = 0; i < commands.size(); ++i) {
            const size_t c = (i + size_t(round)) % commands.size();
            runs[c].push_back(run(commands[c], error));
            if (!error.empty()) return {};
        }
    return runs;
}

double medianOf(const std::vector<Run>& runs, double Run::*field) {
    std::vector<double> values;
    for (const auto& r : runs)
        values.push_back(r.*field);
    return median(values);
}

// The median of the rounds' ratios.
double pairedRatio(const std::vector<Run>& runs, const std::vector<Run>& yardstick,
                   double Run::*field) {
    std::vector<double> ratios;
    for (size_t i = 0; i < runs.size(); ++i)
        ratios.push_back(runs[i].*field / std::max(yardstick[i].*field, 1e-9));
    return median(ratios);
}

void report(benchmark::State& state, const std::string& name, const std::vector<Run>& runs,
            const std::vector<Run>& yardstick) {
    state.counters[name + "_ms"] = medianOf(runs, &Run::seconds) * 1000;
    state.counters[name + "_cpu_ms"] = medianOf(runs, &Run::cpuSeconds) * 1000;
    state.counters[name + "_switches"] = medianOf(runs, &Run::switches);
    state.counters[name + "_MiB"] = medianOf(runs, &Run::peakMiB);
    if (&runs == &yardstick) return;
    state.counters[name + "_wall_ratio"] = pairedRatio(runs, yardstick, &Run::seconds);
    state.counters[name + "_cpu_ratio"] = pairedRatio(runs, yardstick, &Run::cpuSeconds);
    state.counters[name + "_switch_ratio"] = pairedRatio(runs, yardstick, &Run::switches);
}

void BM_StartUpAgainstYardstick(benchmark::State& state) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const std::string script = "/tmp/nightlid-bench-quit.nls";
    std::ofstream(script) << "quit\n";
    for (auto _ : state) {
        std::string error;
        const auto runs = rounds({{NIGHTLID_YARDSTICK},
                                  {NIGHTLID_PROGRAM, "--script", script},
                                  {NIGHTLID_PROGRAM, "--real-time", "--script", script},
                                  {NIGHTLID_MINIMAL_QT}},
                                 error);
        if (!error.empty()) {
            failed = true;
            state.SkipWithError(error.c_str());
            return;
        }
        report(state, "yardstick", runs[0], runs[0]);
        report(state, "virtual", runs[1], runs[0]);
        report(state, "real", runs[2], runs[0]);
        state.counters["minimal_qt_ms"] = medianOf(runs[3], &Run::seconds) * 1000;
    }
}

} // namespace

BENCHMARK(BM_StartUpAgainstYardstick)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return failed ? 1 : 0;
}
