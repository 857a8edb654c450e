#include "driver/Session.h"

#include "app/AppDelegate.h"
#include "app/BlackoutController.h"
#include "appkit/Window.h"
#include "display/DisplayEngine.h"
#include "platform/Applications.h"
#include "platform/Clock.h"
#include "platform/RunLoop.h"
#include "platform/SerialQueue.h"

namespace driver {

Session::Session(sim::MachineDescription description, sim::VirtualMacOptions options)
    : mac_(std::make_unique<sim::VirtualMac>(std::move(description), std::move(options))) {
    mac_->makeCurrent();
    mac_->setTerminateHandler([this] {
        if (terminated_) return;
        terminated_ = true;
        delegate_->applicationWillTerminate();
        if (onTerminated_) onTerminated_();
    });
}

Session::~Session() {
    mac_->settle();
    mac_->clock().ungate();
    if (auto* global = mac_->platform().globalQueue) global->drain();
    BlackoutController::tearDownShared();
    DisplayEngine::tearDownShared();
    platform::setCurrent(nullptr);
}

void Session::launch() {
    delegate_ = std::make_unique<AppDelegate>();
    AppDelegate::setShared(delegate_.get());
    platform::current().applications->setActivationPolicy(platform::ActivationPolicy::regular);
    platform::mainQueue().async([this] { delegate_->applicationDidFinishLaunching(); });
    mac_->setReopenHandler([this] {
        if (!terminated_)
            delegate_->applicationShouldHandleReopen(!appkit::Window::orderedWindows().empty());
    });
}

} // namespace driver
