#include "platform/sim/VirtualMac.h"

#include "platform/Applications.h"
#include "platform/Clock.h"
#include "platform/CoreDisplayInfo.h"
#include "platform/Displays.h"
#include "platform/IORegistry.h"
#include "platform/LoginItems.h"
#include "platform/ManualRunLoop.h"
#include "platform/Notifications.h"
#include "platform/Processes.h"
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
#include "platform/sim/SimHotkeys.h"
#include "platform/sim/SimInput.h"
#include "platform/sim/SimMonitor.h"
#include "platform/sim/SimPrivileges.h"
#include "platform/sim/SimRegistry.h"
#include "platform/sim/SimStatusItem.h"
#include "platform/sim/SimWindowServer.h"

#include <QDir>
#include <QProcess>
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
    std::unique_ptr<ConcurrentQueue> globalQueue;
    SimAlerts alerts;
    std::shared_ptr<SimStatusItem> statusItem;
    std::optional<Event> event;
    std::map<int, std::function<void()>> screenObservers;
    int nextObserver = 1;
    std::map<std::string, int> terminateRequests;
    int updateChecks = 0;
    bool updaterStarted = false;
    bool notificationsRequested = false;
    bool terminateRequested = false;
    std::function<void()> terminateHandler;
    std::function<void()> changed;
    std::string hardwarePath; // empty: the hardware is not kept between runs
    ActivationPolicy policy = ActivationPolicy::regular;
    int activations = 0;
    std::vector<std::string> scripts;
    std::vector<std::pair<std::string, double>> sounds;
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
        if (!writeHardwareState(hardwarePath, state))
            log.write("Virtual Mac: cannot write " + hardwarePath);
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
            if (x.online && x.frame.x == 0 && x.frame.y == 0) return &x;
        for (const auto& x : d.displays)
            if (x.online) return &x;
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
            if (x.online && x.hasScreen && &x != main) add(x);
        return out;
    }
    int addScreenParametersObserver(std::function<void()> handler) override {
        screenObservers[nextObserver] = std::move(handler);
        return nextObserver++;
    }
    void removeScreenParametersObserver(int token) override { screenObservers.erase(token); }
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
        if (completion) loop->async([completion] { completion(true); });
    }

    // LoginItems
    bool hasMainAppService() const override { return d.hasMainAppService; }
    LoginItemStatus mainAppStatus() const override {
        return d.loginItemEnabled ? LoginItemStatus::enabled : LoginItemStatus::notRegistered;
    }
    std::optional<std::string> registerMainApp() override {
        if (d.loginItemFails) return "The operation couldn’t be completed. Operation not permitted";
        d.loginItemEnabled = true;
        return std::nullopt;
    }
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

namespace {

class SimRunningApplication : public RunningApplication {
  public:
    SimRunningApplication(VirtualMac::Impl& mac, std::string bundleID)
        : mac_(mac), bundleID_(std::move(bundleID)) {}
    std::string bundleIdentifier() const override { return bundleID_; }
    bool terminate() override {
        ++mac_.terminateRequests[bundleID_];
        auto& apps = mac_.d.runningApps;
        for (auto it = apps.begin(); it != apps.end(); ++it)
            if (it->bundleIdentifier == bundleID_) {
                apps.erase(it);
                return true;
            }
        return false;
    }

  private:
    VirtualMac::Impl& mac_;
    std::string bundleID_;
};

class SimUpdaterController : public UpdaterController {
  public:
    explicit SimUpdaterController(VirtualMac::Impl& mac) : mac_(mac) {}
    // Answers as the real updater's own window does.
    void checkForUpdates() override {
        ++mac_.updateChecks;
        mac_.log.write("Updater: checked for updates");
        platform::AlertRequest answer;
        answer.style = platform::AlertStyle::informational;
        const std::string running = NIGHTLID_VERSION;
        if (mac_.d.availableUpdate.empty() || mac_.d.availableUpdate == running) {
            answer.messageText = "You’re up to date!";
            answer.informativeText =
                "Nightlid " + running + " is currently the newest version available.";
        } else {
            answer.messageText = "A new version of Nightlid is available!";
            answer.informativeText = "Nightlid " + mac_.d.availableUpdate +
                                     " is now available—you have " + running +
                                     ". Would you like to download it now?";
            answer.buttons = {"Install Update", "Remind Me Later"};
        }
        mac_.alerts.runModal(answer);
    }

  private:
    VirtualMac::Impl& mac_;
};

} // namespace

std::vector<std::shared_ptr<RunningApplication>>
VirtualMac::Impl::runningApplications(const std::string& bundleIdentifier) {
    std::vector<std::shared_ptr<RunningApplication>> out;
    for (const auto& a : d.runningApps)
        if (a.bundleIdentifier == bundleIdentifier)
            out.push_back(std::make_shared<SimRunningApplication>(*this, a.bundleIdentifier));
    return out;
}

std::optional<std::string> VirtualMac::Impl::runTool(const std::string& path,
                                                     const std::vector<std::string>& arguments) {
    // A real child process, run from the machine's own folders.
    QProcess process;
    QStringList list;
    for (const auto& a : arguments)
        list << QString::fromStdString(a);
    process.start(QString::fromStdString(paths->map(path)), list);
    if (!process.waitForStarted(5000)) return std::nullopt;
    process.waitForFinished(120000);
    if (process.exitStatus() != QProcess::NormalExit) return std::nullopt;
    return process.readAllStandardOutput().toStdString();
}

std::shared_ptr<UpdaterController>
VirtualMac::Impl::createStandardController(bool startingUpdater) {
    updaterStarted = startingUpdater;
    return std::make_shared<SimUpdaterController>(*this);
}

VirtualMac::VirtualMac(MachineDescription description, VirtualMacOptions options)
    : impl_(std::make_unique<Impl>()) {
    auto& m = *impl_;
    m.d = std::move(description);
    if (m.d.registryRoot.name.empty()) m.d.registryRoot = generateRegistry(m.d);
    if (options.profileDir.empty()) {
        m.tempProfile = std::make_unique<QTemporaryDir>();
        m.profile = m.tempProfile->path().toStdString();
    } else {
        m.profile = options.profileDir;
        QDir().mkpath(QString::fromStdString(m.profile));
    }
    QDir().mkpath(QString::fromStdString(m.profile + "/root"));
    m.log.setEcho(options.echoLog);
    if (options.virtualTime) {
        auto manual = std::make_unique<ManualRunLoop>();
        m.manual = manual.get();
        m.loop = std::move(manual);
    } else {
        m.loop = std::make_unique<QtRunLoop>();
    }
    if (!options.profileDir.empty()) {
        m.hardwarePath = m.profile + "/hardware.json";
        m.loadHardware();
    }
    m.defaults = std::make_unique<UserDefaults>(m.profile + "/defaults.json", &m.log, m.loop.get());
    m.paths = std::make_unique<SystemPaths>(m.profile + "/root", m.profile + "/home");
    for (const auto& x : m.d.displays)
        if (x.monitor) {
            auto monitor = std::make_unique<SimMonitor>(*x.monitor);
            // Set VCP arrives on the DDC queue; the rest of the machine lives on the main one.
            monitor->setChangeListener([this](bool valueChanged) {
                impl_->loop->async([this, valueChanged] {
                    if (valueChanged) impl_->saveHardware();
                    notifyChanged();
                });
            });
            m.monitors[x.id] = std::move(monitor);
        }
    m.registry = std::make_unique<SimRegistry>(m.d.registryRoot, m.d.registryIteratorFails,
                                               m.d.hasAVServices, m.clock,
                                               [this](DisplayID id) -> SimMonitor* {
                                                   auto x = impl_->display(id);
                                                   if (!x || !x->online) return nullptr;
                                                   return monitor(id);
                                               });

    m.brightness = std::make_unique<SimBrightness>(m.d, [this] {
        impl_->saveHardware();
        notifyChanged();
    });
    m.windowServer = std::make_unique<SimWindowServer>(*m.loop, [this] { notifyChanged(); });
    m.appearance = std::make_unique<SimAppearance>(m.d, *m.loop, [this] { notifyChanged(); });
    // Audio properties may change on another thread; the window hears of it on the main one.
    m.audio = std::make_unique<SimAudio>(
        m.d, [this] { impl_->loop->async([this] { notifyChanged(); }); });
    m.input = std::make_unique<SimInput>(*m.loop, *m.windowServer, [this] { notifyChanged(); });
    m.hotkeys = std::make_unique<SimHotkeys>(*m.loop, m.d.otherApplicationHotkeys,
                                             m.d.keyboardLayout, [this] { notifyChanged(); });
    m.input->setHotkeys(m.hotkeys.get());
    m.paths->setBundlePath(m.d.bundlePath);
    writeMachineFiles(m.d, *m.paths);
    m.battery = std::make_unique<SimBattery>(m.d.battery, *m.loop, [this] {
        if (impl_->privileges) impl_->privileges->writeBatteryForHelper();
        notifyChanged();
    });
    m.registry->setServiceProperties("AppleSmartBattery",
                                     [this] { return impl_->battery->registryProperties(); });
    // Nanoseconds since the last input, as the HID system counts them.
    m.registry->setServiceProperties("IOHIDSystem", [this]() -> std::optional<Value> {
        Value p;
        p.set("HIDIdleTime", int64_t(impl_->input->idleSeconds() * 1e9));
        return p;
    });
    m.privileges = std::make_unique<SimPrivileges>(
        *m.loop, *m.paths, m, *m.battery, options.virtualTime,
        [this](const std::string& line) { impl_->log.write(line); }, [this] { notifyChanged(); });
    m.globalQueue = std::make_unique<ConcurrentQueue>(2);

    auto& p = m.platform;
    p.runLoop = m.loop.get();
    p.clock = &m.clock;
    p.log = &m.log;
    p.defaults = m.defaults.get();
    p.paths = m.paths.get();
    p.displays = &m;
    p.screens = &m;
    p.coreDisplay = &m;
    p.ioRegistry = m.registry.get();
    p.applications = &m;
    p.statusBar = &m;
    p.updater = &m;
    p.notifications = &m;
    p.loginItems = &m;
    p.locale = &m;
    p.alerts = &m.alerts;
    p.transferTables = m.brightness.get();
    p.builtInBrightness = m.brightness.get();
    p.coreBrightness = m.brightness.get();
    p.windowServer = m.windowServer.get();
    p.appearance = m.appearance.get();
    p.audio = m.audio.get();
    p.processes = &m;
    p.inputActivity = m.input.get();
    p.cursor = m.input.get();
    p.hotkeys = m.hotkeys.get();
    p.keyboardLayout = m.hotkeys.get();
    p.powerSources = m.battery.get();
    p.powerAssertions = m.battery.get();
    p.privileges = m.privileges.get();
    p.sounds = &m;
    p.globalQueue = m.globalQueue.get();
    // Installed in an earlier run on this profile: launchd starts it at boot.
    m.privileges->bootLaunchDaemons();
}

VirtualMac::~VirtualMac() = default;

platform::Platform& VirtualMac::platform() {
    return impl_->platform;
}
void VirtualMac::makeCurrent() {
    platform::setCurrent(&impl_->platform);
}
const MachineDescription& VirtualMac::description() const {
    return impl_->d;
}
platform::ManualRunLoop* VirtualMac::manualRunLoop() {
    return impl_->manual;
}
platform::VirtualClock& VirtualMac::clock() {
    return impl_->clock;
}
platform::SystemLog& VirtualMac::log() {
    return impl_->log;
}
const std::string& VirtualMac::profileDir() const {
    return impl_->profile;
}

bool VirtualMac::plug(DisplayID id) {
    auto x = impl_->display(id);
    if (!x || x->online) return false;
    x->online = true;
    impl_->registry->entriesChanged();
    impl_->audio->displaysChanged();
    impl_->fireScreenParameters();
    notifyChanged();
    return true;
}

bool VirtualMac::unplug(DisplayID id) {
    auto x = impl_->display(id);
    if (!x || !x->online) return false;
    x->online = false;
    impl_->registry->entriesChanged();
    impl_->audio->displaysChanged();
    impl_->fireScreenParameters();
    notifyChanged();
    return true;
}

std::vector<DisplayID> VirtualMac::onlineDisplays() const {
    std::vector<DisplayID> out;
    for (const auto& x : impl_->d.displays)
        if (x.online) out.push_back(x.id);
    return out;
}

SimMonitor* VirtualMac::monitor(DisplayID id) {
    auto it = impl_->monitors.find(id);
    return it == impl_->monitors.end() ? nullptr : it->second.get();
}

SimStatusItem* VirtualMac::statusItem() {
    return impl_->statusItem.get();
}
SimAlerts& VirtualMac::alerts() {
    return impl_->alerts;
}
SimBrightness& VirtualMac::brightness() {
    return *impl_->brightness;
}
SimWindowServer& VirtualMac::windowServer() {
    return *impl_->windowServer;
}
SimAudio& VirtualMac::audio() {
    return *impl_->audio;
}
SimAppearance& VirtualMac::appearance() {
    return *impl_->appearance;
}
SimInput& VirtualMac::input() {
    return *impl_->input;
}

SimHotkeys& VirtualMac::hotkeys() {
    return *impl_->hotkeys;
}

platform::ActivationPolicy VirtualMac::activationPolicy() const {
    return impl_->policy;
}

int VirtualMac::activations() const {
    return impl_->activations;
}

const std::vector<std::pair<std::string, double>>& VirtualMac::soundsPlayed() const {
    return impl_->sounds;
}

SimBattery& VirtualMac::battery() {
    return *impl_->battery;
}

SimPrivileges& VirtualMac::privileges() {
    return *impl_->privileges;
}

std::vector<std::string> VirtualMac::runningBundleIdentifiers() const {
    std::vector<std::string> out;
    for (const auto& a : impl_->d.runningApps)
        out.push_back(a.bundleIdentifier);
    return out;
}

int VirtualMac::terminateRequests(const std::string& bundleIdentifier) const {
    auto it = impl_->terminateRequests.find(bundleIdentifier);
    return it == impl_->terminateRequests.end() ? 0 : it->second;
}

int VirtualMac::updateChecks() const {
    return impl_->updateChecks;
}
bool VirtualMac::updaterStarted() const {
    return impl_->updaterStarted;
}
bool VirtualMac::notificationAuthorizationRequested() const {
    return impl_->notificationsRequested;
}
bool VirtualMac::loginItemEnabled() const {
    return impl_->d.loginItemEnabled;
}
int VirtualMac::screenObserverCount() const {
    return int(impl_->screenObservers.size());
}
void VirtualMac::setTerminateHandler(std::function<void()> handler) {
    impl_->terminateHandler = std::move(handler);
}
bool VirtualMac::terminateRequested() const {
    return impl_->terminateRequested;
}

void VirtualMac::setChangeListener(std::function<void()> listener) {
    impl_->changed = std::move(listener);
}

void VirtualMac::notifyChanged() {
    if (impl_->changed) impl_->changed();
}

} // namespace sim
