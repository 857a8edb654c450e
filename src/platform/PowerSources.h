#pragma once
// The power-source service (IOPS): each source's description, and the change notification.

#include "platform/Value.h"

#include <functional>
#include <optional>
#include <vector>

namespace platform {

class PowerSources {
  public:
    virtual ~PowerSources() = default;
    // IOPSCopyPowerSourcesInfo, IOPSCopyPowerSourcesList and each source's description; none
    // when the information cannot be had.
    virtual std::optional<std::vector<Value>> powerSourceDescriptions() = 0;
    // IOPSNotificationCreateRunLoopSource added to the current run loop; false when the source
    // cannot be created. The callback runs whenever a power source changes.
    virtual bool addPowerSourceNotification(std::function<void()> callback) = 0;
};

// Power assertions (IOPMAssertionCreateWithName / IOPMAssertionRelease).
class PowerAssertions {
  public:
    virtual ~PowerAssertions() = default;
    // Zero when the assertion was created, with its ID in id.
    virtual int32_t createAssertion(const std::string& type, int level, const std::string& name,
                                    uint32_t& id) = 0;
    virtual int32_t releaseAssertion(uint32_t id) = 0;
};

// Administrator rights and launch daemons.
class Privileges {
  public:
    virtual ~Privileges() = default;
    // NSAppleScript's executeAndReturnError: true with a result, or false with the error
    // information's description.
    virtual bool runAppleScript(const std::string& source, std::string& errorDescription) = 0;
    // Whether launchd has the daemon with this label running.
    virtual bool isLaunchDaemonRunning(const std::string& label) = 0;
};

} // namespace platform
