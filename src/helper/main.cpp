// nightlid-helper: the charge-limit daemon. launchd starts it as root and keeps it alive; it
// takes no arguments. Every two seconds it reads the battery and the two files the user's
// program writes, and sets the charging controller accordingly.

#include "helper/HelperCore.h"
#include "helper/HelperLoop.h"
#include "platform/sim/VirtualChargingHardware.h"
#include "platform/sim/VirtualOwnership.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t stopping = 0;

void stop(int) {
    stopping = 1;
}

void logLine(const std::string& line) {
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
}

// No charging controller this build can reach: nothing is read, so nothing is decided.
class NoChargingHardware : public helper::ChargingHardware {
  public:
    std::optional<helper::BatteryReading> read() override { return std::nullopt; }
    bool apply(const helper::ChargeControl&, std::string& error) override {
        error = "no charging controller on this system";
        return false;
    }
};

} // namespace

int main(int argc, char**) {
    if (argc > 1) {
        std::fprintf(stderr, "nightlid-helper takes no arguments\n");
        return 64;
    }
    std::signal(SIGTERM, stop);
    std::signal(SIGINT, stop);
    // Started by a virtual Mac's launchd, the system's folders and its charging controller live
    // under the machine's root folder. This is the one place that tells them apart.
    const char* rootVariable = std::getenv("NIGHTLID_SYSTEM_ROOT");
    const std::string root = rootVariable ? rootVariable : "";
    const std::string folder = "/Library/Application Support/Nightlid";
    std::unique_ptr<helper::ChargingHardware> hardware;
    if (root.empty()) {
        hardware = std::make_unique<NoChargingHardware>();
        logLine("nightlid-helper: no charging controller on this system; nothing is enforced");
    } else {
        hardware = sim::makeVirtualChargingHardware(root);
    }
    helper::HelperCore core(root + folder, logLine,
                            root.empty() ? helper::makeHostFolderAccess(folder)
                                         : sim::makeVirtualFolderAccess(root, folder));
    helper::HelperLoop loop(core, *hardware, logLine);
    while (!stopping) {
        loop.poll(int64_t(std::time(nullptr)));
        for (int i = 0; i < helper::HelperLoop::pollSeconds * 10 && !stopping; ++i)
            ::usleep(100000);
    }
    return 0;
}
