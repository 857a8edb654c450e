#pragma once
// User notifications.

#include <functional>
#include <optional>
#include <string>

namespace platform {

struct AuthorizationOptions {
    bool alert = false, sound = false, badge = false;
};

struct NotificationRequest {
    std::string identifier; // a newer request with the same identifier replaces an older one
    std::string title;
    std::string body;
    bool defaultSound = true;
};

class Notifications {
  public:
    virtual ~Notifications() = default;
    virtual void requestAuthorization(AuthorizationOptions options,
                                      std::function<void(bool granted)> completion) = 0;
    // Delivered at once; the completion gets the error's description when it fails.
    virtual void add(const NotificationRequest& request,
                     std::function<void(std::optional<std::string> error)> completion) = 0;
};

} // namespace platform
