#include "platform/mac/NoBundleNotifications.h"

namespace mac {

void NoBundleNotifications::requestAuthorization(platform::AuthorizationOptions,
                                                 std::function<void(bool)> completion) {
    if (completion) post_([completion] { completion(false); });
}

void NoBundleNotifications::add(const platform::NotificationRequest&,
                                std::function<void(std::optional<std::string>)> completion) {
    if (completion) post_([completion] { completion(std::string(kReason)); });
}

} // namespace mac
