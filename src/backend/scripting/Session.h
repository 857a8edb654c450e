#pragma once
// One run of the program on a virtual Mac: the machine, the program's session on it, the keys
// typed into its windows, and the simulator window with the machine's own buttons.

#include "platform/sim/VirtualMac.h"

#include <memory>

class AppDelegate;
class ApplicationSession;

namespace sim {
class ProgramKeys;
class SimulatorWindow;
} // namespace sim

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
    // The simulator window, built when first asked for. The interactive one places the
    // program's ordinary windows beside it; a script's leaves them where they open.
    sim::SimulatorWindow& simulator(bool placesProgramWindows = false);
    bool hasSimulator() const { return bool(simulator_); }

  private:
    std::unique_ptr<sim::VirtualMac> mac_;
    std::unique_ptr<ApplicationSession> app_;
    std::unique_ptr<sim::ProgramKeys> keys_;
    std::unique_ptr<sim::SimulatorWindow> simulator_;
};

} // namespace scripting
