#pragma once
// One run of the program on a virtual Mac: the machine, and the program's session on it.

#include "platform/sim/VirtualMac.h"

#include <memory>

class AppDelegate;
class ApplicationSession;

namespace scripting {

class Session {
  public:
    Session(sim::MachineDescription description, sim::VirtualMacOptions options);
    ~Session();

    // What the entry function does before the event loop runs: the delegate, the activation
    // policy, and the launch notification queued for the loop's first turn.
    void launch();
    bool terminated() const;
    // Called once the delegate's will-terminate has run (the interactive program quits Qt here).
    void setOnTerminated(std::function<void()> handler);

    sim::VirtualMac& mac() { return *mac_; }
    AppDelegate& delegate();

  private:
    std::unique_ptr<sim::VirtualMac> mac_;
    std::unique_ptr<ApplicationSession> app_;
};

} // namespace scripting
