#pragma once
// The application object and the workspace's running applications.

#include "platform/Events.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

enum class ActivationPolicy { regular = 0, accessory = 1, prohibited = 2 };

class RunningApplication {
  public:
    virtual ~RunningApplication() = default;
    virtual std::string bundleIdentifier() const = 0;
    virtual bool terminate() = 0;
};

class Applications {
  public:
    virtual ~Applications() = default;
    virtual std::vector<std::shared_ptr<RunningApplication>>
    runningApplications(const std::string& bundleIdentifier) = 0;
    virtual void setActivationPolicy(ActivationPolicy policy) = 0;
    virtual void activateIgnoringOtherApps() = 0;
    // The running application activated with ignoring-other-apps and all-windows.
    virtual void activateRunningApplication() = 0;
    // NSAppleScript source run without administrator rights; its result is not used.
    virtual void executeAppleScript(const std::string& source) = 0;
    // The event being dispatched, if any.
    virtual std::optional<Event> currentEvent() = 0;
    // Asks the application to quit: the delegate's will-terminate runs, then the loop ends.
    virtual void terminate() = 0;
    // What the application object tells its delegate, set once by the session: the person
    // opened the program again while it runs, and the application is about to end.
    virtual void setLifecycleHandlers(std::function<void()> reopened,
                                      std::function<void()> willTerminate) = 0;
};

} // namespace platform
