#include "platform/sim/VirtualMacImpl.h"

#include "platform/BoundedTool.h"

namespace sim {

namespace {

constexpr size_t kMaxToolOutput = 1024 * 1024;
constexpr int kToolSeconds = 30;

class SimRunningApplication : public RunningApplication {
  public:
    SimRunningApplication(VirtualMac::Impl& mac, std::string bundleID)
        : mac_(mac), bundleID_(std::move(bundleID)) {}
    std::string bundleIdentifier() const override { return bundleID_; }
    bool terminate() override {
        ++mac_.terminateRequests[bundleID_];
        auto& apps = mac_.d.runningApps;
        for (auto it = apps.begin(); it != apps.end(); ++it)
            if (it->bundleIdentifier == bundleID_) {
                apps.erase(it);
                return true;
            }
        return false;
    }

  private:
    VirtualMac::Impl& mac_;
    std::string bundleID_;
};

class SimUpdaterController : public UpdaterController {
  public:
    explicit SimUpdaterController(VirtualMac::Impl& mac) : mac_(mac) {}
    // Answers as the real updater's own window does.
    void checkForUpdates() override {
        ++mac_.updateChecks;
        mac_.log.write("Updater: checked for updates");
        platform::AlertRequest answer;
        answer.style = platform::AlertStyle::informational;
        const std::string running = NIGHTLID_VERSION;
        if (mac_.d.availableUpdate.empty() || mac_.d.availableUpdate == running) {
            answer.messageText = "You’re up to date!";
            answer.informativeText =
                "Nightlid " + running + " is currently the newest version available.";
        } else {
            answer.messageText = "A new version of Nightlid is available!";
            answer.informativeText = "Nightlid " + mac_.d.availableUpdate +
                                     " is now available—you have " + running +
                                     ". Would you like to download it now?";
            answer.buttons = {"Install Update", "Remind Me Later"};
        }
        mac_.alerts.runModal(answer);
    }

  private:
    VirtualMac::Impl& mac_;
};

} // namespace

std::vector<std::shared_ptr<RunningApplication>>
VirtualMac::Impl::runningApplications(const std::string& bundleIdentifier) {
    std::vector<std::shared_ptr<RunningApplication>> out;
    for (const auto& a : d.runningApps)
        if (a.bundleIdentifier == bundleIdentifier)
            out.push_back(std::make_shared<SimRunningApplication>(*this, a.bundleIdentifier));
    return out;
}

std::optional<std::string> VirtualMac::Impl::runTool(const std::string& path,
                                                     const std::vector<std::string>& arguments) {
    // A real child process, run from the machine's own folders. Virtual time waits for it: its
    // answer lands at the same moment every run. A tool prints a few hundred bytes: one that goes
    // on is stopped, never read without end.
    auto run = platform::runBoundedTool(paths->map(path), arguments, kToolSeconds, kMaxToolOutput);
    if (!run.stopped.empty())
        log.write("Virtual Mac: " + path + " " + run.stopped + "; it is stopped");
    if (!run.output) return std::nullopt;
    // The machine's profiler takes its time in the machine's time: a script run goes on meanwhile
    // instead of waiting for it on the wall clock.
    if (path == "/usr/sbin/system_profiler" && d.battery && d.battery->profilerSeconds > 0)
        clock.sleepMicroseconds(uint32_t(d.battery->profilerSeconds * 1e6));
    return run.output;
}

std::shared_ptr<UpdaterController>
VirtualMac::Impl::createStandardController(bool startingUpdater) {
    updaterStarted = startingUpdater;
    return std::make_shared<SimUpdaterController>(*this);
}

} // namespace sim
