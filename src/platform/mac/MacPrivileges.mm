// Administrator rights through AppleScript ("do shell script ... with administrator
// privileges": the system shows its own password or Touch ID prompt), and launchd's view of a
// daemon. A cancelled prompt is AppleScript's error -128, which fails the run like any other.

#include "platform/mac/MacServices.h"
#include "platform/mac/ObjCBridge.h"
#include "platform/mac/SystemAnswers.h"

namespace mac {

namespace {

class MacPrivileges : public platform::Privileges {
  public:
    explicit MacPrivileges(platform::Processes& processes) : processes_(processes) {}
    bool runAppleScript(const std::string& source, std::string& errorDescription) override {
        NSAppleScript* script = [[NSAppleScript alloc] initWithSource:ns(source)];
        NSDictionary<NSString*, id>* error = nil;
        if ([script executeAndReturnError:&error]) return true;
        errorDescription = error ? str(error.description) : "the script could not be run";
        return false;
    }
    bool isLaunchDaemonRunning(const std::string& label) override {
        // Reading launchd's system domain needs no administrator rights.
        auto output = processes_.runTool("/bin/launchctl", {"print", "system/" + label});
        return output && launchdReportsRunning(*output);
    }

  private:
    platform::Processes& processes_;
};

} // namespace

std::unique_ptr<platform::Privileges> makePrivileges(platform::Processes& processes) {
    return std::make_unique<MacPrivileges>(processes);
}

} // namespace mac
