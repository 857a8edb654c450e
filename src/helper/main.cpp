// nightlid-helper: the charge-limit daemon. launchd starts it as root and keeps it alive; it
// takes no arguments. Every two seconds it reads the battery and the two files the user's
// program writes, and sets the charging controller accordingly.

#include "helper/HelperCore.h"
#include "platform/sim/VirtualOwnership.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <sstream>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t stopping = 0;

void stop(int) {
    stopping = 1;
}

// The charging controller is reached through two small files in a root-only directory:
// "battery" (charge percent and whether the adapter is in) and "control" (what the helper
// asks: charging inhibited, adapter bypassed).
std::optional<helper::BatteryReading> readBattery(const helper::SafeDirectory& controller) {
    std::string error;
    auto text = controller.read("battery", 64, error);
    if (!text) return std::nullopt;
    std::istringstream in(*text);
    helper::BatteryReading r;
    int adapter = 0;
    if (!(in >> r.percent >> adapter) || r.percent < 0 || r.percent > 100) return std::nullopt;
    r.adapterConnected = adapter != 0;
    return r;
}

} // namespace

int main(int argc, char**) {
    if (argc > 1) {
        std::fprintf(stderr, "nightlid-helper takes no arguments\n");
        return 64;
    }
    std::signal(SIGTERM, stop);
    std::signal(SIGINT, stop);
    // On a virtual Mac the system's folders live under its root folder.
    const char* rootVariable = std::getenv("NIGHTLID_SYSTEM_ROOT");
    const std::string root = rootVariable ? rootVariable : "";
    const std::string folder = "/Library/Application Support/Nightlid";
    helper::HelperCore core(
        root + folder,
        [](const std::string& line) {
            std::fprintf(stderr, "%s\n", line.c_str());
            std::fflush(stderr);
        },
        root.empty() ? helper::makeHostFolderAccess(folder)
                     : sim::makeVirtualFolderAccess(root, folder));
    const std::string controllerPath = root + "/private/var/db/nightlid-charging";
    std::optional<helper::ChargeControl> applied;
    int64_t lastTick = 0;
    while (!stopping) {
        const helper::SafeDirectory controller(controllerPath);
        auto battery = readBattery(controller);
        const int64_t now = int64_t(std::time(nullptr));
        // After a sleep the hardware may have been reset: the decision is written again.
        if (lastTick != 0 && now - lastTick > 30) applied.reset();
        lastTick = now;
        if (battery) {
            const auto control = core.tick(now, *battery);
            if (control != applied) {
                std::string error;
                const std::string text = std::string(control.chargingInhibited ? "1" : "0") + " " +
                                         (control.adapterBypassed ? "1" : "0");
                if (controller.write("control", text, error))
                    applied = control;
                else
                    std::fprintf(stderr, "nightlid-helper: %s\n", error.c_str());
            }
        }
        for (int i = 0; i < 20 && !stopping; ++i)
            ::usleep(100000);
    }
    return 0;
}
