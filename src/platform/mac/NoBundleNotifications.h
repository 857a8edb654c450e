#pragma once
// Notifications for a build that runs outside an application bundle. Such a process has no
// notification centre (asking for it raises), so every request is refused without asking, and
// the answer still comes later, on the queue given, as the system's answers do.

#include "platform/Notifications.h"

#include <functional>

namespace mac {

class NoBundleNotifications : public platform::Notifications {
  public:
    // Runs work on the main queue later, never inside the call.
    using Post = std::function<void(std::function<void()>)>;
    static constexpr const char* kReason =
        "notifications need the application bundle; this build runs outside one";

    explicit NoBundleNotifications(Post post) : post_(std::move(post)) {}
    void requestAuthorization(platform::AuthorizationOptions options,
                              std::function<void(bool)> completion) override;
    void add(const platform::NotificationRequest& request,
             std::function<void(std::optional<std::string>)> completion) override;

  private:
    Post post_;
};

} // namespace mac
