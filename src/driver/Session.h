#pragma once
// One run of the program on a virtual Mac: the entry function's work, and quitting.

#include "platform/sim/VirtualMac.h"

#include <memory>

class AppDelegate;

namespace driver {

class Session {
  public:
    Session(sim::MachineDescription description, sim::VirtualMacOptions options);
    ~Session();

    // What the entry function does before the event loop runs: the delegate, the activation
    // policy, and the launch notification queued for the loop's first turn.
    void launch();
    bool terminated() const { return terminated_; }
    // Called once the delegate's will-terminate has run (the interactive program quits Qt here).
    void setOnTerminated(std::function<void()> handler) { onTerminated_ = std::move(handler); }

    sim::VirtualMac& mac() { return *mac_; }
    AppDelegate& delegate() { return *delegate_; }

  private:
    std::unique_ptr<sim::VirtualMac> mac_;
    std::unique_ptr<AppDelegate> delegate_;
    bool terminated_ = false;
    std::function<void()> onTerminated_;
};

} // namespace driver
