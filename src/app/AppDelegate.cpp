#include "app/AppDelegate.h"

#include "app/BlackoutController.h"
#include "platform/Notifications.h"
#include "platform/Platform.h"
#include "platform/Updater.h"

namespace {

// Stands for the application object's delegate property.
AppDelegate*& applicationDelegate() {
    static AppDelegate* delegate = nullptr;
    return delegate;
}

} // namespace

AppDelegate::~AppDelegate() {
    if (applicationDelegate() == this) applicationDelegate() = nullptr;
}

AppDelegate* AppDelegate::current() {
    return applicationDelegate();
}

void AppDelegate::setShared(AppDelegate* delegate) {
    applicationDelegate() = delegate;
}

void AppDelegate::applicationDidFinishLaunching() {
    auto& os = platform::current();
    if (os.updater) updaterController = os.updater->createStandardController(true);
    if (os.notifications)
        os.notifications->requestAuthorization({.alert = true, .sound = true}, [](bool) {});
    BlackoutController::shared().terminateCompetingMonitorControl();
    BlackoutController::shared().showControlWindow();
}

bool AppDelegate::applicationShouldHandleReopen(bool /*hasVisibleWindows*/) {
    BlackoutController::shared().showControlWindow();
    return true;
}

void AppDelegate::applicationWillTerminate() {
    // Quitting before launch finished has nothing to undo; do not build a controller for it.
    if (!BlackoutController::hasShared()) return;
    auto& controller = BlackoutController::shared();
    controller.releaseSleepAssertion();
    controller.stopDisplayServices();
    controller.stop();
    // What was asked of the monitors goes out before the process ends; whatever did not land
    // stays in the journal for the next start.
    controller.settleRestores();
}
