// Whole sessions, one after another, as the script fuzz target and the test suite run them: a
// fresh virtual Mac and profile, a short script, tear-down. Reports what each session leaves
// behind on the heap; a session that keeps a cache, a widget or a thread shows as growth.

#include "backend/scripting/ScriptDriver.h"
#include "backend/scripting/Session.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kSessions = 600;

double heapInUseKiB() {
    return double(mallinfo2().uordblks) / 1024.0;
}

// The script fuzz target's seed corpus, as that target reads it: lines that only take time or
// end the program are left out.
std::vector<std::string> corpusScripts() {
    std::vector<std::string> scripts;
    for (const auto& entry : std::filesystem::directory_iterator(NIGHTLID_SCRIPT_CORPUS)) {
        std::ifstream in(entry.path());
        std::string kept;
        for (std::string line; std::getline(in, line);) {
            const auto start = line.find_first_not_of(" \t\r");
            const std::string word =
                start == std::string::npos
                    ? std::string()
                    : line.substr(start, line.find_first_of(" \t\r", start) - start);
            if (word == "advance" || word == "drag" || word == "crash" || word == "quit" ||
                word.rfind("screenshot", 0) == 0)
                continue;
            kept += line + "\n";
        }
        scripts.push_back(kept);
    }
    return scripts;
}

long statusField(const char* name) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(name, 0) == 0) return std::stol(line.substr(std::strlen(name)));
    return 0;
}

void runOneSession(const std::string& text) {
    scripting::Session session(sim::VirtualMac::defaultDescription(), {});
    session.launch();
    std::ostringstream out, err;
    scripting::ScriptDriver script(session, out, err);
    script.setVariable("OUT", "/tmp");
    (void)script.runText(text, "bench.nls");
}

void BM_SessionsLeaveNothingBehind(benchmark::State& state) {
    for (auto _ : state) {
        const auto scripts = corpusScripts();
        for (int i = 0; i < 50; ++i)
            runOneSession(scripts[size_t(i) % scripts.size()]);
        malloc_trim(0);
        const double warm = heapInUseKiB();
        const long warmResident = statusField("VmRSS:");
        const long warmThreads = statusField("Threads:");
        const qsizetype warmObjects = QApplication::allWidgets().size();
        for (int i = 0; i < kSessions; ++i)
            runOneSession(scripts[size_t(i) % scripts.size()]);
        malloc_trim(0);
        state.counters["resident_growth_KiB_per_session"] =
            double(statusField("VmRSS:") - warmResident) / kSessions;
        state.counters["threads_left"] = double(statusField("Threads:") - warmThreads);
        state.counters["heap_after_warm_up_KiB"] = warm;
        state.counters["heap_growth_KiB_per_session"] = (heapInUseKiB() - warm) / kSessions;
        state.counters["widgets_left"] = double(QApplication::allWidgets().size() - warmObjects);
    }
}

} // namespace

BENCHMARK(BM_SessionsLeaveNothingBehind)->Unit(benchmark::kSecond)->Iterations(1);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
