// nightlid-helper: the charge-limit daemon. launchd starts it as root and keeps it alive, with
// no arguments; the uninstaller runs it once with --restore-charging, to switch charging back on
// whatever a helper that was killed left behind. Every two seconds it reads the battery and the two
// files the user's program writes, and sets the charging controller accordingly. Only one runs at a
// time, and when it is stopped (launchd's SIGTERM at unload, shutdown or an uninstall) it leaves
// the battery charging from the adapter.

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
    backend::writeHelperLog(line);
}

} // namespace

int main(int argc, char** argv) {
    const bool restoreOnly = argc == 2 && std::string(argv[1]) == "--restore-charging";
    if (argc > 1 && !restoreOnly) {
        std::fprintf(stderr, "nightlid-helper takes no arguments (or only --restore-charging)\n");
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
    if (restoreOnly) {
        std::string error;
        if (!chosen.hardware->restoreNormalCharging(error)) {
            logLine("nightlid-helper: charging could not be switched back on: " + error);
            return 1;
        }
        logLine("nightlid-helper: charging restored; the battery charges from the adapter");
        return 0;
    }
    helper::HelperCore core(chosen.root, chosen.folder, logLine, std::move(chosen.access));
    helper::HelperLoop loop(core, *chosen.hardware, logLine);
    while (!stopping) {
        loop.poll(int64_t(std::time(nullptr)));
        // One wake-up a poll on a laptop that runs for days: a stop signal cuts the sleep short
        // (nanosleep is never restarted after a handler).
        timespec wait{helper::HelperLoop::pollSeconds, 0};
        if (!stopping) ::nanosleep(&wait, nullptr);
    }
    std::string error;
    if (chosen.hardware->restoreNormalCharging(error))
        logLine("nightlid-helper: stopped; the battery charges from the adapter");
    else
        logLine("nightlid-helper: stopped, but charging could not be switched back on: " + error);
    return 0;
}
