#include "backend/scripting/Session.h"

#include "app/ApplicationSession.h"
#include "platform/Clock.h"

namespace scripting {

Session::Session(sim::MachineDescription description, sim::VirtualMacOptions options)
    : mac_(std::make_unique<sim::VirtualMac>(std::move(description), std::move(options))),
      app_(std::make_unique<ApplicationSession>(mac_->platform())) {}

Session::~Session() {
    // What the machine's queues still hold ends before the program does.
    mac_->settle();
    mac_->clock().ungate();
    app_.reset();
}

void Session::launch() {
    app_->launch();
}

bool Session::terminated() const {
    return app_->terminated();
}

void Session::setOnTerminated(std::function<void()> handler) {
    app_->setOnTerminated(std::move(handler));
}

AppDelegate& Session::delegate() {
    return app_->delegate();
}

} // namespace scripting
