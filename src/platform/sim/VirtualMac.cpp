#include "platform/sim/VirtualMacImpl.h"

#include "platform/OutsideFiles.h"

#include <QDir>
#include <QTemporaryDir>

#include <algorithm>
#include <map>
#include <sys/stat.h>

namespace sim {

namespace {

// A link (or a file) where the machine keeps a folder: everything written there would land in
// its target, so it is moved aside, and said.
void setAsideUnlessFolder(const std::string& path, platform::SystemLog& log) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return;
    const std::string what =
        S_ISLNK(st.st_mode) ? "is a symbolic link, which is not followed" : "is not a folder";
    std::string error;
    if (auto aside = platform::setAsideOutsideFile(path, "not-a-folder", error))
        log.write("Virtual Mac: " + path + " " + what + "; it is moved to " + *aside);
    else
        log.write("Virtual Mac: " + path + " " + what + "; it cannot be moved aside: " + error);
}

} // namespace

VirtualMac::VirtualMac(MachineDescription description, VirtualMacOptions options)
    : impl_(std::make_unique<Impl>()) {
    auto& m = *impl_;
    m.d = std::move(description);
    // A display described in code without modes reports the one its frame shows.
    for (auto& x : m.d.displays)
        if (x.modes.empty()) {
            x.modes = {modeForFrame(x.frame, x.builtIn)};
            x.currentMode = 0;
        }
    if (m.d.registryRoot.name.empty()) m.d.registryRoot = generateRegistry(m.d);
    // A profile of no folder is a throwaway one, removed with the machine.
    const bool profileKept = !options.profileDir.empty();
    if (!profileKept) {
        m.tempProfile = std::make_unique<QTemporaryDir>();
        m.profile = m.tempProfile->path().toStdString();
    } else {
        m.profile = options.profileDir;
        QDir().mkpath(QString::fromStdString(m.profile));
    }
    m.log.setEcho(options.echoLog);
    // The machine's system and home folders are its own: never taken through a link.
    setAsideUnlessFolder(m.profile + "/root", m.log);
    setAsideUnlessFolder(m.profile + "/home", m.log);
    QDir().mkpath(QString::fromStdString(m.profile + "/root"));
    if (options.virtualTime) {
        auto manual = std::make_unique<ManualRunLoop>();
        m.manual = manual.get();
        // One time for the run loop and every device exchange.
        m.clock.setGated(true);
        manual->attachClock(&m.clock);
        m.loop = std::move(manual);
    } else {
        m.loop = std::make_unique<QtRunLoop>();
        // The monitors answer after their bus times, as hardware does.
        m.clock.setRealTime(true);
    }
    if (profileKept) {
        m.hardwarePath = m.profile + "/hardware.json";
        m.loadHardware();
    }
    m.defaults = std::make_unique<UserDefaults>(m.profile + "/defaults.json", &m.log, m.loop.get());
    if (!profileKept) m.defaults->setDurability(platform::Durability::unsynced);
    m.paths = std::make_unique<SystemPaths>(m.profile + "/root", m.profile + "/home");
    m.sharedFiles = std::make_unique<SimSharedFiles>(*m.paths);
    for (const auto& x : m.d.displays)
        if (x.monitor) {
            auto monitor = std::make_unique<SimMonitor>(*x.monitor);
            monitor->setClock(&m.clock);
            // Set VCP arrives on the DDC queue; the rest of the machine lives on the main one.
            // In virtual time only one thread runs at a time, so the monitor's new value is
            // kept at once: whatever becomes of the process next, the monitor holds it.
            const bool virtualTime = options.virtualTime;
            monitor->setChangeListener([this, virtualTime](bool valueChanged) {
                if (valueChanged && virtualTime) impl_->saveHardware();
                impl_->loop->async([this, valueChanged, virtualTime] {
                    if (valueChanged && !virtualTime) impl_->saveHardware();
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
    m.hotkeys =
        std::make_unique<SimHotkeys>(*m.loop, m.d.otherApplicationHotkeys, m.d.keyboardLayout,
                                     m.d.keyboardType, [this] { notifyChanged(); });
    m.input->setHotkeys(m.hotkeys.get());
    m.paths->setBundlePath(m.d.bundlePath);
    writeMachineFiles(m.d, *m.paths, m.log, profileKept);
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
    m.globalQueue->setGate(m.clock.workGate());

    auto& p = m.platform;
    p.runLoop = m.loop.get();
    p.clock = &m.clock;
    p.log = &m.log;
    p.defaults = m.defaults.get();
    p.paths = m.paths.get();
    p.sharedFiles = m.sharedFiles.get();
    p.displays = &m;
    p.screens = &m;
    p.coreDisplay = &m;
    p.ioRegistry = m.registry.get();
    p.applications = &m;
    p.statusBar = &m;
    p.updater = m.d.hasUpdater ? &m : nullptr;
    p.notifications = &m;
    p.loginItems = &m;
    p.locale = &m;
    p.alerts = &m.alerts;
    m.alerts.setPoster([&m](std::function<void()> task) { m.loop->async(std::move(task)); });
    m.alerts.setLanguages(m.preferredLanguages());
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
    m.propertyLists = platform::makePortablePropertyListFiles(*m.paths);
    p.propertyLists = m.propertyLists.get();
    p.globalQueue = m.globalQueue.get();
    // Installed in an earlier run on this profile: launchd starts it at boot.
    m.privileges->bootLaunchDaemons();
}

VirtualMac::~VirtualMac() {
    // A queue still sleeping in an exchange must not wait for a clock that is going away.
    impl_->clock.ungate();
}

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
void VirtualMac::settle() {
    auto* loop = manualRunLoop();
    if (!loop) return;
    loop->runPending();
    // A queue kept busy without a pause (a monitor retried for ever) ends the wait after this.
    constexpr double kLongestExchange = 5.0;
    loop->finishQueuedWork(kLongestExchange);
}

void VirtualMac::advance(double seconds) {
    auto* loop = manualRunLoop();
    if (!loop) return;
    loop->advance(seconds);
    settle();
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

bool VirtualMac::setLidClosed(bool closed) {
    for (const auto& x : impl_->d.displays)
        if (x.builtIn) {
            if (x.online != closed) return false;
            impl_->log.write(closed ? "Virtual Mac: the lid is closed"
                                    : "Virtual Mac: the lid is open");
            return closed ? unplug(x.id) : plug(x.id);
        }
    return false;
}

bool VirtualMac::lidClosed() const {
    for (const auto& x : impl_->d.displays)
        if (x.builtIn) return !x.online;
    return false;
}

void VirtualMac::wake() {
    impl_->log.write("Virtual Mac: woke from sleep");
    impl_->fireWake();
}

void VirtualMac::keepHardware() {
    impl_->saveHardware();
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

const std::vector<std::pair<platform::NotificationRequest, double>>&
VirtualMac::deliveredNotifications() const {
    return impl_->delivered;
}

const std::vector<std::string>& VirtualMac::displayConfigurations() const {
    return impl_->configurations;
}

void VirtualMac::setConfigurationFailsAt(const std::string& step) {
    impl_->d.configurationFailsAt = step;
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
int VirtualMac::loginItemsSettingsOpened() const {
    return impl_->loginItemsSettingsOpened;
}

bool VirtualMac::loginItemEnabled() const {
    return impl_->d.loginItemEnabled;
}
int VirtualMac::screenObserverCount() const {
    return int(impl_->screenObservers.size());
}
bool VirtualMac::terminateRequested() const {
    return impl_->terminateRequested;
}
void VirtualMac::reopen() {
    impl_->log.write("Virtual Mac: Nightlid opened again");
    impl_->loop->async([this] {
        if (impl_->reopenHandler) impl_->reopenHandler();
    });
}

void VirtualMac::setChangeListener(std::function<void()> listener) {
    impl_->changed = std::move(listener);
}

void VirtualMac::notifyChanged() {
    if (impl_->changed) impl_->changed();
}

} // namespace sim
