#pragma once
// The virtual Mac: a simulated machine and an implementation of every platform interface over
// it. Built from a JSON description; hardware events are injected through it.

#include "platform/Applications.h"
#include "platform/Notifications.h"
#include "platform/Platform.h"
#include "platform/sim/MachineDescription.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {
class ManualRunLoop;
class VirtualClock;
class SystemLog;
} // namespace platform

namespace sim {

class SimMonitor;
class SimStatusItem;
class SimAlerts;
class SimBrightness;
class SimWindowServer;
class SimAppearance;
class SimInput;
class SimAudio;
class SimHotkeys;
class SimBattery;
class SimPrivileges;

struct VirtualMacOptions {
    // The profile folder: defaults file and the machine's root for system paths.
    // Empty: a fresh temporary folder, removed with the machine.
    std::string profileDir;
    // Manual virtual-time run loop (tests, scripts) or Qt's event loop (interactive).
    bool virtualTime = true;
    bool echoLog = false;
};

class VirtualMac {
  public:
    VirtualMac(MachineDescription description, VirtualMacOptions options = {});
    ~VirtualMac();

    // Parses a JSON description; absent with *error set on bad input.
    static std::optional<MachineDescription> parse(const std::string& json, std::string* error);
    static std::optional<MachineDescription> load(const std::string& path, std::string* error);
    // The embedded default machine.
    static MachineDescription defaultDescription();

    platform::Platform& platform();
    // Installs this machine as platform::current().
    void makeCurrent();

    const MachineDescription& description() const;
    platform::ManualRunLoop* manualRunLoop(); // null with Qt time
    // Virtual time only. Runs what is due now, then lets the device queues finish what was
    // asked of them (their exchanges take their time; what falls due meanwhile runs too).
    void settle();
    // Moves virtual time on: timers, posted work and the queues' exchanges in time order; then
    // settles.
    void advance(double seconds);
    platform::VirtualClock& clock();
    platform::SystemLog& log();
    const std::string& profileDir() const;

    // Hardware events. Both fire the screen-parameters notification on the main queue.
    bool plug(DisplayID id);
    bool unplug(DisplayID id);
    std::vector<DisplayID> onlineDisplays() const;
    // The lid: closed, the built-in panel goes offline (clamshell); opened, it comes back.
    // False when there is no built-in panel or the lid is already so.
    bool setLidClosed(bool closed);
    bool lidClosed() const;
    // The machine wakes from sleep: the workspace's wake notification.
    void wake();
    // Writes the hardware's state to the profile now (what the monitors and the panel hold is
    // theirs, whatever becomes of the process).
    void keepHardware();

    // The simulated monitor of an external display, or null.
    SimMonitor* monitor(DisplayID id);
    SimStatusItem* statusItem(); // null before the program made one
    SimAlerts& alerts();
    // Gamma tables, built-in brightness, automatic brightness and keyboard backlights.
    SimBrightness& brightness();
    // The program's screen-covering windows, and the system appearance.
    SimWindowServer& windowServer();
    SimAppearance& appearance();
    // Sound output devices and the default output.
    SimAudio& audio();
    // Keyboard, cursor and event monitors.
    SimInput& input();
    // The hotkey service and the keyboard layout.
    SimHotkeys& hotkeys();
    // The battery and adapter, power assertions; administrator rights and launchd.
    SimBattery& battery();
    SimPrivileges& privileges();
    // The Dock icon (regular) or none (accessory), activation requests, and sounds played with
    // the time they were played at.
    platform::ActivationPolicy activationPolicy() const;
    int activations() const;
    const std::vector<std::pair<std::string, double>>& soundsPlayed() const;
    // Notifications delivered, each with its time; a newer one of the same identifier replaces
    // the older (permission comes from the machine description).
    const std::vector<std::pair<platform::NotificationRequest, double>>&
    deliveredNotifications() const;
    // Each display configuration transaction that reached completion: what it did or why the
    // system refused it. Set where transactions fail ("", "begin", "configure", "complete").
    const std::vector<std::string>& displayConfigurations() const;
    void setConfigurationFailsAt(const std::string& step);

    // Running applications of the workspace, and what was asked of them.
    std::vector<std::string> runningBundleIdentifiers() const;
    int terminateRequests(const std::string& bundleIdentifier) const;
    int updateChecks() const;
    bool updaterStarted() const;
    bool notificationAuthorizationRequested() const;
    bool loginItemEnabled() const;
    // How often the program opened System Settings at its Login Items.
    int loginItemsSettingsOpened() const;
    int screenObserverCount() const;

    bool terminateRequested() const;
    // The person opens the program again while it runs (Finder, the Dock, the simulator): the
    // application's reopen handler runs on the main queue's next turn.
    void reopen();

    // Called whenever the machine's visible state changes (for the simulator window).
    void setChangeListener(std::function<void()> listener);
    void notifyChanged();

    struct Impl;

  private:
    std::unique_ptr<Impl> impl_;
};

} // namespace sim
