// User notifications. The system answers on its own queue; the program hears back on the main one.
// A build outside an application bundle refuses them itself (NoBundleNotifications).

#include "platform/mac/MacServices.h"
#include "platform/mac/NoBundleNotifications.h"
#include "platform/mac/ObjCBridge.h"

#include <UserNotifications/UserNotifications.h>

namespace mac {

namespace {

void onMain(void (^block)(void)) {
    [NSOperationQueue.mainQueue addOperationWithBlock:block];
}

class MacNotifications : public platform::Notifications {
  public:
    void requestAuthorization(platform::AuthorizationOptions options,
                              std::function<void(bool)> completion) override {
        UNAuthorizationOptions wanted = 0;
        if (options.alert) wanted |= UNAuthorizationOptionAlert;
        if (options.sound) wanted |= UNAuthorizationOptionSound;
        if (options.badge) wanted |= UNAuthorizationOptionBadge;
        [UNUserNotificationCenter.currentNotificationCenter
            requestAuthorizationWithOptions:wanted
                          completionHandler:^(BOOL granted, NSError* error) {
                            (void)error;
                            if (completion)
                                onMain(^{
                                  completion(granted);
                                });
                          }];
    }
    void add(const platform::NotificationRequest& request,
             std::function<void(std::optional<std::string>)> completion) override {
        UNMutableNotificationContent* content = [[UNMutableNotificationContent alloc] init];
        content.title = ns(request.title);
        content.body = ns(request.body);
        if (request.defaultSound) content.sound = UNNotificationSound.defaultSound;
        // No trigger: delivered at once; the same identifier replaces the one before.
        UNNotificationRequest* native =
            [UNNotificationRequest requestWithIdentifier:ns(request.identifier)
                                                 content:content
                                                 trigger:nil];
        [UNUserNotificationCenter.currentNotificationCenter
            addNotificationRequest:native
             withCompletionHandler:^(NSError* error) {
               // An unsigned or ad hoc build the system refuses lands here, for the log.
               std::optional<std::string> failure;
               if (error) failure = str(error.localizedDescription);
               if (completion)
                   onMain(^{
                     completion(failure);
                   });
             }];
    }
};

} // namespace

std::unique_ptr<platform::Notifications> makeNotifications() {
    // The bundle a process runs from does not change while it runs.
    if (NSBundle.mainBundle.bundleIdentifier == nil)
        return std::make_unique<NoBundleNotifications>([](std::function<void()> work) {
            onMain(^{
              work();
            });
        });
    return std::make_unique<MacNotifications>();
}

} // namespace mac
