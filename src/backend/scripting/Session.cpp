#include "backend/scripting/Session.h"

#include "app/ApplicationSession.h"
#include "platform/Clock.h"
#include "platform/sim/HostKeys.h"
#include "platform/sim/SimulatorWindow.h"

#include <QApplication>

namespace scripting {

Session::Session(sim::MachineDescription description, sim::VirtualMacOptions options)
    : mac_(std::make_unique<sim::VirtualMac>(std::move(description), std::move(options))),
      app_(std::make_unique<ApplicationSession>(mac_->platform())),
      keys_(std::make_unique<sim::ProgramKeys>(*mac_)) {
    if (qApp) qApp->installEventFilter(keys_.get());
}

Session::~Session() {
    if (qApp) qApp->removeEventFilter(keys_.get());
    simulator_.reset();
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

sim::SimulatorWindow& Session::simulator(bool placesProgramWindows) {
    if (!simulator_)
        simulator_ = std::make_unique<sim::SimulatorWindow>(*mac_, placesProgramWindows);
    return *simulator_;
}

} // namespace scripting
