#pragma once
// User notifications.

#include <functional>

namespace platform {

struct AuthorizationOptions {
    bool alert = false, sound = false, badge = false;
};

class Notifications {
  public:
    virtual ~Notifications() = default;
    virtual void requestAuthorization(AuthorizationOptions options,
                                      std::function<void(bool granted)> completion) = 0;
};

} // namespace platform
