#pragma once
// The virtual Mac's keyboard, mouse cursor and event monitors.

#include "platform/Cursor.h"
#include "platform/InputActivity.h"

#include <functional>
#include <map>

namespace platform {
class RunLoop;
}

namespace sim {

class SimWindowServer;
class SimHotkeys;

class SimInput : public platform::InputActivity, public platform::Cursor {
  public:
    SimInput(platform::RunLoop& loop, SimWindowServer& windows, std::function<void()> changed);

    int addLocalMonitorForEvents(platform::EventMask mask, LocalHandler handler) override;
    int addGlobalMonitorForEvents(platform::EventMask mask, GlobalHandler handler) override;
    void removeMonitor(int token) override;
    void hide() override;
    void unhide() override;

    // Where a held combination goes before it is an ordinary key.
    void setHotkeys(SimHotkeys* hotkeys) { hotkeys_ = hotkeys; }
    // A key pressed while this application is active: a held combination goes to its holder;
    // otherwise local monitors first, then the key window, else the application's ordinary
    // windows. Delivered on the main queue.
    void pressKeyInApplication(uint16_t keyCode, platform::ModifierFlags modifiers = {});
    // A key pressed while another application is active: a held combination goes to its
    // holder; otherwise global monitors observe it.
    void pressKeyInOtherApplication(uint16_t keyCode, platform::ModifierFlags modifiers = {});
    // The modifiers held change while this application is active.
    void changeFlags(platform::ModifierFlags modifiers);
    // The mouse moved by a person: input, seen by the global mouse-moved monitors.
    void moveMouse();
    // A left click delivered to another application: by a person (source process 0) or
    // synthesised by remote-control software (its process ID), which is no local input.
    void clickInOtherApplication(int64_t sourceProcessID);
    // Seconds since the last local input (keys, clicks, mouse moves).
    double idleSeconds() const;

    // Hides minus unhides; the cursor shows while this is 0 or less.
    int cursorHideCount() const { return hideCount_; }
    bool cursorVisible() const { return hideCount_ <= 0; }
    int localMonitorCount() const;
    int globalMonitorCount() const;
    // Key presses that reached the application's ordinary windows, and the last code.
    int keysReachingApplication() const { return keysReachingApplication_; }
    int keysReachingOtherApplication() const { return keysReachingOther_; }

  private:
    struct Monitor {
        bool local;
        platform::EventMask mask;
        LocalHandler localHandler;
        GlobalHandler globalHandler;
    };
    platform::RunLoop& loop_;
    SimWindowServer& windows_;
    std::function<void()> changed_;
    std::map<int, Monitor> monitors_;
    int next_ = 1;
    int hideCount_ = 0;
    int keysReachingApplication_ = 0;
    int keysReachingOther_ = 0;
    SimHotkeys* hotkeys_ = nullptr;
    double lastInput_ = 0;
    void input();
    void toGlobalMonitors(const platform::Event& event);
    // Local monitors, then the key window.
    void deliverToApplication(platform::Event event);
};

} // namespace sim
