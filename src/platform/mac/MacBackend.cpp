#include "platform/mac/MacBackend.h"

#include "platform/Clock.h"
#include "platform/QtRunLoop.h"
#include "platform/SerialQueue.h"
#include "platform/SharedFiles.h"
#include "platform/SystemLog.h"
#include "platform/SystemPaths.h"
#include "platform/mac/MacServices.h"
#include "platform/mac/ObjCClasses.h"
#include "platform/mac/SymbolLibrary.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdlib>
#include <unistd.h>

namespace mac {

namespace {

// The helper's files under a folder root owns: the system's permissions decide what the user
// may rewrite.
class MacSharedFiles : public platform::SharedFiles {
  public:
    bool write(const std::string& systemPath, const std::string& text,
               std::string& error) override {
        const auto slash = systemPath.find_last_of('/');
        const std::string folder = slash == 0 ? "/" : systemPath.substr(0, slash);
        if (::access(systemPath.c_str(), W_OK) != 0) {
            error = "Permission denied";
            return false;
        }
        return platform::writeSharedFile(systemPath, text, error,
                                         ::access(folder.c_str(), W_OK) == 0);
    }
};

// Contents/MacOS/nightlid → the bundle's own folder.
std::string bundlePath() {
    QDir executable(QCoreApplication::applicationDirPath());
    executable.cdUp();
    executable.cdUp();
    return executable.absolutePath().toStdString();
}

} // namespace

struct MacBackend::Services {
    platform::SystemLog log;
    platform::RealClock clock;
    std::unique_ptr<platform::QtRunLoop> loop = std::make_unique<platform::QtRunLoop>();
    std::unique_ptr<DynamicLoader> loader = makeSystemLoader();
    std::unique_ptr<ObjCRuntime> runtime = makeObjCRuntime();
    std::unique_ptr<SymbolLibrary> ioKit, coreDisplay, displayServices, coreBrightnessLibrary,
        skyLight, sparkle;
    std::unique_ptr<platform::UserDefaults> defaults;
    std::unique_ptr<platform::SystemPaths> paths;
    MacSharedFiles sharedFiles;
    std::unique_ptr<platform::Displays> displays = makeDisplays();
    std::unique_ptr<platform::Screens> screens = makeScreens();
    std::unique_ptr<platform::CoreDisplayInfo> coreDisplayInfo;
    std::unique_ptr<platform::IORegistry> ioRegistry;
    std::unique_ptr<platform::Applications> applications = makeApplications();
    std::unique_ptr<platform::StatusBar> statusBar = makeStatusBar();
    std::unique_ptr<platform::Updater> updater;
    std::unique_ptr<platform::Notifications> notifications = makeNotifications();
    std::unique_ptr<platform::LoginItems> loginItems = makeLoginItems();
    std::unique_ptr<platform::SystemLocale> locale = makeSystemLocale();
    std::unique_ptr<platform::Alerts> alerts = makeAlerts();
    std::unique_ptr<platform::SystemAppearance> appearance;
    std::unique_ptr<platform::BuiltInBrightness> builtInBrightness;
    std::unique_ptr<platform::CoreBrightness> coreBrightness;
    std::unique_ptr<platform::TransferTables> transferTables = makeTransferTables();
    std::unique_ptr<platform::WindowServer> windowServer = makeWindowServer();
    std::unique_ptr<platform::InputActivity> inputActivity = makeInputActivity();
    std::unique_ptr<platform::Cursor> cursor = makeCursor();
    std::unique_ptr<platform::AudioHardware> audio = makeAudio();
    std::unique_ptr<platform::Processes> processes = makeProcesses();
    std::unique_ptr<platform::Hotkeys> hotkeys = makeHotkeys();
    std::unique_ptr<platform::KeyboardLayout> keyboardLayout = makeKeyboardLayout();
    std::unique_ptr<platform::PowerSources> powerSources = makePowerSources();
    std::unique_ptr<platform::PowerAssertions> powerAssertions = makePowerAssertions();
    std::unique_ptr<platform::Privileges> privileges = makePrivileges(*processes);
    std::unique_ptr<platform::Sounds> sounds = makeSounds();
    std::unique_ptr<platform::PropertyListFiles> propertyLists = makePropertyLists();
    platform::ConcurrentQueue globalQueue{2};
    platform::Platform platform;
};

MacBackend::MacBackend(bool echoLog) : services_(std::make_unique<Services>()) {
    auto& s = *services_;
    s.log.setEcho(echoLog);
    s.log.setSink(&writeUnifiedLog);
    auto log = [&s](const std::string& line) { s.log.write(line); };
    s.ioKit = std::make_unique<SymbolLibrary>(
        *s.loader, "/System/Library/Frameworks/IOKit.framework/IOKit", "DDC/CI", log);
    s.coreDisplay = std::make_unique<SymbolLibrary>(
        *s.loader, "/System/Library/Frameworks/CoreDisplay.framework/CoreDisplay",
        "monitor names from CoreDisplay", log);
    s.displayServices = std::make_unique<SymbolLibrary>(
        *s.loader, "/System/Library/PrivateFrameworks/DisplayServices.framework/DisplayServices",
        "the built-in panel's brightness", log);
    s.coreBrightnessLibrary = std::make_unique<SymbolLibrary>(
        *s.loader, "/System/Library/PrivateFrameworks/CoreBrightness.framework/CoreBrightness",
        "auto-brightness, the keyboard backlight and the blue-light filter", log);
    s.skyLight = std::make_unique<SymbolLibrary>(
        *s.loader, "/System/Library/PrivateFrameworks/SkyLight.framework/SkyLight",
        "switching the system appearance", log);
    // Inside the bundle, when it carries the updater.
    s.sparkle = std::make_unique<SymbolLibrary>(
        *s.loader, bundlePath() + "/Contents/Frameworks/Sparkle.framework/Sparkle",
        "checking for updates", log);
    s.ioRegistry = makeIORegistry(*s.ioKit);
    s.coreBrightness = makeCoreBrightness(*s.coreBrightnessLibrary, *s.runtime, log);
    s.appearance = makeAppearance(*s.skyLight);
    s.updater = makeUpdater(*s.sparkle, *s.runtime, log);
    s.coreDisplayInfo = makeCoreDisplayInfo(*s.coreDisplay);
    s.builtInBrightness = makeBuiltInBrightness(*s.displayServices);
    s.defaults = std::make_unique<platform::UserDefaults>(makePreferencesDomain(kBundleIdentifier),
                                                          &s.log, s.loop.get());
    const char* home = std::getenv("HOME");
    s.paths = std::make_unique<platform::SystemPaths>("", home ? home : "");
    s.paths->setBundlePath(bundlePath());

    auto& p = s.platform;
    p.runLoop = s.loop.get();
    p.clock = &s.clock;
    p.log = &s.log;
    p.defaults = s.defaults.get();
    p.paths = s.paths.get();
    p.sharedFiles = &s.sharedFiles;
    p.displays = s.displays.get();
    p.screens = s.screens.get();
    p.coreDisplay = s.coreDisplayInfo.get();
    p.ioRegistry = s.ioRegistry.get();
    p.applications = s.applications.get();
    p.statusBar = s.statusBar.get();
    // Null without Sparkle in the bundle: "Check for Updates..." then says this build does not
    // update itself.
    p.updater = s.updater.get();
    p.notifications = s.notifications.get();
    p.loginItems = s.loginItems.get();
    p.locale = s.locale.get();
    p.alerts = s.alerts.get();
    p.appearance = s.appearance.get();
    p.builtInBrightness = s.builtInBrightness.get();
    p.coreBrightness = s.coreBrightness.get();
    p.transferTables = s.transferTables.get();
    p.windowServer = s.windowServer.get();
    p.inputActivity = s.inputActivity.get();
    p.cursor = s.cursor.get();
    p.audio = s.audio.get();
    p.processes = s.processes.get();
    p.hotkeys = s.hotkeys.get();
    p.keyboardLayout = s.keyboardLayout.get();
    p.powerSources = s.powerSources.get();
    p.powerAssertions = s.powerAssertions.get();
    p.privileges = s.privileges.get();
    p.sounds = s.sounds.get();
    p.propertyLists = s.propertyLists.get();
    p.globalQueue = &s.globalQueue;
}

MacBackend::~MacBackend() {
    // Settings changed in the last second reach the preferences before the services go.
    if (services_->defaults) services_->defaults->synchronize();
    services_->globalQueue.drain();
}

platform::Platform& MacBackend::platform() {
    return services_->platform;
}

} // namespace mac
