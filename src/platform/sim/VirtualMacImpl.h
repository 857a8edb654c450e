#pragma once
// The virtual Mac's machine: its state and the platform services it implements itself.
// Private to the virtual Mac's own files.

#include "platform/Applications.h"
#include "platform/Clock.h"
#include "platform/CoreDisplayInfo.h"
#include "platform/Displays.h"
#include "platform/IORegistry.h"
#include "platform/LoginItems.h"
#include "platform/ManualRunLoop.h"
#include "platform/Notifications.h"
#include "platform/Processes.h"
#include "platform/PropertyListFiles.h"
#include "platform/QtRunLoop.h"
#include "platform/Screens.h"
#include "platform/SerialQueue.h"
#include "platform/Sounds.h"
#include "platform/StatusBar.h"
#include "platform/SystemLocale.h"
#include "platform/SystemLog.h"
#include "platform/SystemPaths.h"
#include "platform/Updater.h"
#include "platform/UserDefaults.h"
#include "platform/sim/HardwareState.h"
#include "platform/sim/MachineFiles.h"
#include "platform/sim/SimAlerts.h"
#include "platform/sim/SimAppearance.h"
#include "platform/sim/SimAudio.h"
#include "platform/sim/SimBattery.h"
#include "platform/sim/SimBrightness.h"
#include "platform/sim/SimDisplayModes.h"
#include "platform/sim/SimHotkeys.h"
#include "platform/sim/SimInput.h"
#include "platform/sim/SimMonitor.h"
#include "platform/sim/SimPrivileges.h"
#include "platform/sim/SimRegistry.h"
#include "platform/sim/SimSharedFiles.h"
#include "platform/sim/SimStatusItem.h"
#include "platform/sim/SimWindowServer.h"
#include "platform/sim/VirtualMac.h"
#include <QTemporaryDir>
#include <algorithm>
#include <map>

namespace sim {

using namespace platform;

struct VirtualMac::Impl : Displays,
                          Screens,
                          CoreDisplayInfo,
                          Applications,
                          StatusBar,
                          Updater,
                          Notifications,
                          LoginItems,
                          SystemLocale,
                          Processes,
                          Sounds {
    MachineDescription d;
    std::unique_ptr<QTemporaryDir> tempProfile;
    std::string profile;
    std::unique_ptr<RunLoop> loop;
    ManualRunLoop* manual = nullptr;
    VirtualClock clock;
    SystemLog log;
    std::unique_ptr<UserDefaults> defaults;
    std::unique_ptr<SystemPaths> paths;
    std::unique_ptr<SimSharedFiles> sharedFiles;
    std::map<DisplayID, std::unique_ptr<SimMonitor>> monitors;
    std::unique_ptr<SimRegistry> registry;
    std::unique_ptr<SimBrightness> brightness;
    std::unique_ptr<SimWindowServer> windowServer;
    std::unique_ptr<SimAppearance> appearance;
    std::unique_ptr<SimAudio> audio;
    std::unique_ptr<SimInput> input;
    std::unique_ptr<SimHotkeys> hotkeys;
    std::unique_ptr<SimBattery> battery;
    std::unique_ptr<SimPrivileges> privileges;
    std::unique_ptr<PropertyListFiles> propertyLists;
    std::unique_ptr<ConcurrentQueue> globalQueue;
    SimAlerts alerts;
    std::shared_ptr<SimStatusItem> statusItem;
    std::optional<Event> event;
    std::map<int, std::function<void()>> screenObservers;
    std::map<int, std::function<void()>> wakeObservers;
    int nextObserver = 1;
    std::map<std::string, int> terminateRequests;
    int updateChecks = 0;
    bool updaterStarted = false;
    bool notificationsRequested = false;
    bool terminateRequested = false;
    std::function<void()> terminateHandler;
    std::function<void()> reopenHandler;
    std::function<void()> changed;
    std::string hardwarePath; // empty: the hardware is not kept between runs
    ActivationPolicy policy = ActivationPolicy::regular;
    int activations = 0;
    std::vector<std::string> scripts;
    std::vector<std::pair<std::string, double>> sounds;
    std::vector<std::pair<NotificationRequest, double>> delivered;
    std::optional<PendingConfiguration> pendingConfiguration;
    int nextConfiguration = 1;
    std::vector<std::string> configurations; // what each completed or refused transaction did
    Platform platform;

    void loadHardware() {
        std::string problems;
        auto state = readHardwareState(hardwarePath, problems);
        if (!problems.empty()) log.write("Virtual Mac: hardware state partly ignored: " + problems);
        for (auto& x : d.displays) {
            if (auto p = state.panels.find(x.id); p != state.panels.end() && x.builtIn)
                x.brightness = p->second;
            auto codes = state.vcp.find(x.id);
            if (!x.monitor || codes == state.vcp.end()) continue;
            for (const auto& [code, value] : codes->second)
                if (auto f = x.monitor->vcp.find(code);
                    f != x.monitor->vcp.end() && value <= f->second.maximum)
                    f->second.current = value;
        }
        for (auto& k : d.keyboardBacklights)
            if (auto level = state.keyboards.find(k.id); level != state.keyboards.end())
                k.level = level->second;
    }
    // On the main thread, whenever a monitor, the panel or a keyboard changed.
    void saveHardware() {
        if (hardwarePath.empty()) return;
        HardwareState state;
        for (const auto& [id, monitor] : monitors)
            for (const auto& [code, f] : monitor->allVcp())
                state.vcp[id][code] = f.current;
        for (const auto& x : d.displays)
            if (x.builtIn) state.panels[x.id] = x.brightness;
        for (const auto& k : d.keyboardBacklights)
            state.keyboards[k.id] = k.level;
        std::string error;
        if (!writeHardwareState(hardwarePath, state, error))
            log.write("Virtual Mac: cannot write the hardware state: " + error);
    }

    const DisplayDescription* display(DisplayID id) const {
        for (const auto& x : d.displays)
            if (x.id == id) return &x;
        return nullptr;
    }
    DisplayDescription* display(DisplayID id) {
        for (auto& x : d.displays)
            if (x.id == id) return &x;
        return nullptr;
    }
    const DisplayDescription* mainDisplay() const {
        for (const auto& x : d.displays)
            if (x.online && !x.mirrorOf && x.frame.x == 0 && x.frame.y == 0) return &x;
        for (const auto& x : d.displays)
            if (x.online && !x.mirrorOf) return &x;
        return nullptr;
    }

    // Displays
    CGError getOnlineDisplayList(uint32_t maxDisplays, std::vector<DisplayID>& out) override {
        out.clear();
        if (d.onlineListFails) return kCGErrorFailure;
        for (const auto& x : d.displays)
            if (x.online && out.size() < maxDisplays) out.push_back(x.id);
        return kCGErrorSuccess;
    }
    bool isBuiltin(DisplayID id) override {
        auto x = display(id);
        return x && x->builtIn;
    }
    Rect bounds(DisplayID id) override {
        auto x = display(id);
        return x && x->online ? x->frame : Rect{};
    }
    DisplayID mainDisplayID() override {
        auto m = mainDisplay();
        return m ? m->id : 0;
    }
    DisplayID mirrorsDisplay(DisplayID id) override {
        auto x = display(id);
        return x && x->online ? x->mirrorOf : 0;
    }
    std::optional<std::vector<DisplayMode>> copyAllDisplayModes(DisplayID id) override {
        auto x = display(id);
        if (!x || !x->online || x->modesUnreadable) return std::nullopt;
        return x->modes;
    }
    std::optional<DisplayMode> copyDisplayMode(DisplayID id) override {
        auto x = display(id);
        if (!x || !x->online || x->modesUnreadable || x->currentMode >= x->modes.size())
            return std::nullopt;
        return x->modes[x->currentMode];
    }
    CGError beginDisplayConfiguration(DisplayConfigRef& config) override;
    CGError configureDisplayWithDisplayMode(DisplayConfigRef config, DisplayID id,
                                            const DisplayMode& mode) override;
    CGError configureDisplayOrigin(DisplayConfigRef config, DisplayID id, int32_t x,
                                   int32_t y) override;
    CGError configureDisplayMirrorOfDisplay(DisplayConfigRef config, DisplayID id,
                                            DisplayID master) override;
    CGError completeDisplayConfiguration(DisplayConfigRef config, ConfigureOption option) override;
    CGError cancelDisplayConfiguration(DisplayConfigRef config) override;

    // Screens
    std::vector<Screen> screens() override {
        std::vector<Screen> out;
        auto main = mainDisplay();
        // The main screen comes first, as AppKit lists it.
        auto add = [&](const DisplayDescription& x) {
            Screen s;
            if (x.screenHasNumber) s.deviceDescription.set("NSScreenNumber", Value(int64_t(x.id)));
            s.localizedName = x.screenName;
            s.frame = x.frame;
            s.visibleFrame = x.visibleFrame;
            if (s.visibleFrame == Rect{}) {
                s.visibleFrame = x.frame;
                if (&x == main) {
                    s.visibleFrame.y += 24;
                    s.visibleFrame.height -= 24;
                }
            }
            out.push_back(s);
        };
        if (main && main->hasScreen) add(*main);
        for (const auto& x : d.displays)
            if (x.online && x.hasScreen && !x.mirrorOf && &x != main) add(x);
        return out;
    }
    int addScreenParametersObserver(std::function<void()> handler) override {
        screenObservers[nextObserver] = std::move(handler);
        return nextObserver++;
    }
    void removeScreenParametersObserver(int token) override { screenObservers.erase(token); }
    std::optional<int> addWakeObserver(std::function<void()> handler) override {
        wakeObservers[nextObserver] = std::move(handler);
        return nextObserver++;
    }
    void removeWakeObserver(int token) override { wakeObservers.erase(token); }
    void fireWake() {
        for (const auto& [token, handler] : wakeObservers) {
            int t = token;
            loop->async([this, t] {
                auto it = wakeObservers.find(t);
                if (it != wakeObservers.end()) it->second();
            });
        }
    }
    void fireScreenParameters() {
        for (const auto& [token, handler] : screenObservers) {
            int t = token;
            loop->async([this, t] {
                auto it = screenObservers.find(t);
                if (it != screenObservers.end()) it->second();
            });
        }
    }

    // CoreDisplay
    std::optional<Value> createInfoDictionary(DisplayID id) override {
        if (!d.hasCoreDisplay) return std::nullopt;
        auto x = display(id);
        if (!x || x->info.isNull()) return std::nullopt;
        return x->info;
    }

    // Applications
    std::vector<std::shared_ptr<RunningApplication>>
    runningApplications(const std::string& bundleIdentifier) override;
    void setActivationPolicy(ActivationPolicy p) override {
        policy = p;
        if (changed) changed();
    }
    void activateIgnoringOtherApps() override { ++activations; }
    void activateRunningApplication() override { ++activations; }
    void executeAppleScript(const std::string& source) override { scripts.push_back(source); }

    // Sounds
    bool play(const std::string& name) override {
        static const char* known[] = {"Basso", "Blow",   "Bottle",    "Frog", "Funk",
                                      "Glass", "Hero",   "Morse",     "Ping", "Pop",
                                      "Purr",  "Sosumi", "Submarine", "Tink"};
        if (std::find(std::begin(known), std::end(known), name) == std::end(known)) return false;
        sounds.push_back({name, loop->now()});
        log.write("Virtual Mac: sound " + name);
        if (changed) changed();
        return true;
    }
    std::optional<Event> currentEvent() override { return event; }
    void terminate() override {
        terminateRequested = true;
        if (terminateHandler) terminateHandler();
    }
    void setLifecycleHandlers(std::function<void()> reopened,
                              std::function<void()> willTerminate) override {
        reopenHandler = std::move(reopened);
        terminateHandler = std::move(willTerminate);
    }

    // StatusBar
    std::shared_ptr<StatusItem> createStatusItem(double) override {
        statusItem = std::make_shared<SimStatusItem>(d.hasStatusItemButton, [this](const Event* e) {
            event = e ? std::optional<Event>(*e) : std::nullopt;
        });
        statusItem->setChangeListener([this] {
            if (changed) changed();
        });
        if (changed) changed();
        return statusItem;
    }

    // Updater
    std::shared_ptr<UpdaterController> createStandardController(bool startingUpdater) override;

    // Notifications
    void requestAuthorization(AuthorizationOptions, std::function<void(bool)> completion) override {
        notificationsRequested = true;
        const bool granted = d.notificationsGranted;
        if (completion) loop->async([completion, granted] { completion(granted); });
    }
    void add(const NotificationRequest& request,
             std::function<void(std::optional<std::string>)> completion) override {
        std::optional<std::string> error;
        if (!d.notificationsGranted) {
            error = "Notifications are not allowed for this application";
        } else {
            std::erase_if(delivered,
                          [&](const auto& n) { return n.first.identifier == request.identifier; });
            delivered.push_back({request, loop->now()});
            log.write("Virtual Mac: notification " + request.identifier + " \"" + request.title +
                      "\"");
            if (changed) changed();
        }
        if (completion) loop->async([completion, error] { completion(error); });
    }

    // LoginItems
    bool hasMainAppService() const override { return d.hasMainAppService; }
    LoginItemStatus mainAppStatus() const override {
        if (d.loginItemDisabledByUser) return LoginItemStatus::requiresApproval;
        if (!d.loginItemEnabled) return LoginItemStatus::notRegistered;
        // Registered, but the person has not allowed it in System Settings yet.
        return d.loginItemNeedsApproval ? LoginItemStatus::requiresApproval
                                        : LoginItemStatus::enabled;
    }
    std::optional<std::string> registerMainApp() override {
        if (d.loginItemFails || d.loginItemDisabledByUser)
            return "The operation couldn’t be completed. Operation not permitted";
        d.loginItemEnabled = true;
        return std::nullopt;
    }
    void openLoginItemsSettings() override {
        ++loginItemsSettingsOpened;
        log.write("Virtual Mac: System Settings opened at Login Items");
    }
    int loginItemsSettingsOpened = 0;
    std::optional<std::string> unregisterMainApp() override {
        if (d.loginItemFails) return "The operation couldn’t be completed. Operation not permitted";
        d.loginItemEnabled = false;
        return std::nullopt;
    }

    // Processes
    std::optional<std::string> runTool(const std::string& path,
                                       const std::vector<std::string>& arguments) override;
    std::optional<std::string> sysctlString(const std::string& name) override {
        if (name == "hw.model" && !d.modelIdentifier.empty()) return d.modelIdentifier;
        return std::nullopt;
    }

    // SystemLocale
    std::string currentLocaleIdentifier() const override { return d.localeIdentifier; }
    std::vector<std::string> preferredLanguages() const override { return d.preferredLanguages; }
    double secondsSince1970() const override { return double(d.wallClockStart) + loop->now(); }
    int secondsFromGMT() const override { return d.secondsFromGMT; }
};

} // namespace sim
