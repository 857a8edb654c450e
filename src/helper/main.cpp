// nightlid-helper: the charge-limit daemon. launchd starts it as root and keeps it alive; it
// takes no arguments. Every two seconds it reads the battery and the two files the user's
// program writes, and sets the charging controller accordingly. Only one runs at a time, and
// when it is stopped (launchd's SIGTERM at unload, shutdown or an uninstall) it leaves the battery
// charging from the adapter.

#include "backend/HelperBackend.h"
#include "helper/HelperCore.h"
#include "helper/HelperLoop.h"
#include "helper/SingleInstance.h"

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <unistd.h>
#include <utility>

namespace {

volatile std::sig_atomic_t stopping = 0;

void stop(int) {
    stopping = 1;
}

void logLine(const std::string& line) {
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
}

} // namespace

int main(int argc, char**) {
    if (argc > 1) {
        std::fprintf(stderr, "nightlid-helper takes no arguments\n");
        return 64;
    }
    std::signal(SIGTERM, stop);
    std::signal(SIGINT, stop);
    // The backend this executable links: the system's, or a virtual Mac's for its own helper.
    const std::string root = backend::helperSystemRoot(logLine);
    if (root.empty()) return 78; // EX_CONFIG
    const helper::SingleInstance instance(root, "/private/var/run", "nightlid-helper.lock");
    if (!instance.held()) {
        logLine("nightlid-helper: " + instance.error() + "; this one ends");
        return 75;
    }
    auto chosen = backend::makeHelperBackend(logLine);
    if (!chosen.hardware || !chosen.access) return 78; // EX_CONFIG
    helper::HelperCore core(chosen.root, chosen.folder, logLine, std::move(chosen.access));
    helper::HelperLoop loop(core, *chosen.hardware, logLine);
    while (!stopping) {
        loop.poll(int64_t(std::time(nullptr)));
        for (int i = 0; i < helper::HelperLoop::pollSeconds * 10 && !stopping; ++i)
            ::usleep(100000);
    }
    std::string error;
    if (chosen.hardware->restoreNormalCharging(error))
        logLine("nightlid-helper: stopped; the battery charges from the adapter");
    else
        logLine("nightlid-helper: stopped, but charging could not be switched back on: " + error);
    return 0;
}
