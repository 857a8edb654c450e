#pragma once
// Launching at login: the main application's login item service.

#include <optional>
#include <string>

namespace platform {

enum class LoginItemStatus { notRegistered, enabled, requiresApproval, notFound };

class LoginItems {
  public:
    virtual ~LoginItems() = default;
    // False on systems before macOS 13, which have no main-application service.
    virtual bool hasMainAppService() const = 0;
    virtual LoginItemStatus mainAppStatus() const = 0;
    // Absent on success, else the error's description.
    virtual std::optional<std::string> registerMainApp() = 0;
    virtual std::optional<std::string> unregisterMainApp() = 0;
    // System Settings at its Login Items, where a login item that requires approval is allowed.
    virtual void openLoginItemsSettings() = 0;
};

} // namespace platform
