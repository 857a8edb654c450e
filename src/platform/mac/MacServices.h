#pragma once
// The macOS backend's services, one adapter each. Each is made here and owned by MacBackend.

#include "platform/Alerts.h"
#include "platform/Applications.h"
#include "platform/AudioHardware.h"
#include "platform/BuiltInBrightness.h"
#include "platform/CoreBrightness.h"
#include "platform/CoreDisplayInfo.h"
#include "platform/Cursor.h"
#include "platform/Displays.h"
#include "platform/Hotkeys.h"
#include "platform/IORegistry.h"
#include "platform/InputActivity.h"
#include "platform/KeyboardLayout.h"
#include "platform/LoginItems.h"
#include "platform/Notifications.h"
#include "platform/PowerSources.h"
#include "platform/Processes.h"
#include "platform/PropertyListFiles.h"
#include "platform/Screens.h"
#include "platform/Sounds.h"
#include "platform/StatusBar.h"
#include "platform/SystemAppearance.h"
#include "platform/SystemLocale.h"
#include "platform/TransferTables.h"
#include "platform/Updater.h"
#include "platform/UserDefaults.h"
#include "platform/WindowServer.h"

#include <functional>
#include <memory>
#include <string>

namespace mac {

class SymbolLibrary;
class ObjCRuntime;
using LogLine = std::function<void(const std::string&)>;

// The bundle identifier, which is also the preferences domain.
constexpr const char* kBundleIdentifier = "local.night-lid";

// Core Graphics
std::unique_ptr<platform::Displays> makeDisplays();
std::unique_ptr<platform::TransferTables> makeTransferTables();
std::unique_ptr<platform::Cursor> makeCursor();
// IOKit, with the private AV-service calls from IOKit itself.
std::unique_ptr<platform::IORegistry> makeIORegistry(SymbolLibrary& ioKit);
// CoreDisplay and DisplayServices, private.
std::unique_ptr<platform::CoreDisplayInfo> makeCoreDisplayInfo(SymbolLibrary& coreDisplay);
std::unique_ptr<platform::BuiltInBrightness> makeBuiltInBrightness(SymbolLibrary& services);
// CoreBrightness (private): its two C functions and, through the runtime, its client classes.
std::unique_ptr<platform::CoreBrightness> makeCoreBrightness(SymbolLibrary& coreBrightness,
                                                             ObjCRuntime& runtime, LogLine log);
// SkyLight (private): the system appearance; AppKit: the application's, observed.
std::unique_ptr<platform::SystemAppearance> makeAppearance(SymbolLibrary& skyLight);
// Core Foundation
std::unique_ptr<platform::DefaultsDomain> makePreferencesDomain(const std::string& domain);
std::unique_ptr<platform::SystemLocale> makeSystemLocale();
void writeUnifiedLog(const std::string& line);
std::unique_ptr<platform::Processes> makeProcesses();
std::unique_ptr<platform::PropertyListFiles> makePropertyLists();
// Carbon
std::unique_ptr<platform::Hotkeys> makeHotkeys();
std::unique_ptr<platform::KeyboardLayout> makeKeyboardLayout();
// Core Audio, with Audio Toolbox's virtual main volume
std::unique_ptr<platform::AudioHardware> makeAudio();
// IOKit power sources and assertions
std::unique_ptr<platform::PowerSources> makePowerSources();
std::unique_ptr<platform::PowerAssertions> makePowerAssertions();
// AppleScript with administrator rights, and launchd through launchctl
std::unique_ptr<platform::Privileges> makePrivileges(platform::Processes& processes);
// UserNotifications, ServiceManagement, and Sparkle when the bundle carries it (null without:
// the program then says this build does not update itself)
std::unique_ptr<platform::Notifications> makeNotifications();
std::unique_ptr<platform::LoginItems> makeLoginItems();
std::unique_ptr<platform::Updater> makeUpdater(SymbolLibrary& sparkle, ObjCRuntime& runtime,
                                               LogLine log);
// AppKit
std::unique_ptr<platform::Screens> makeScreens();
std::unique_ptr<platform::StatusBar> makeStatusBar();
std::unique_ptr<platform::InputActivity> makeInputActivity();
std::unique_ptr<platform::Applications> makeApplications();
std::unique_ptr<platform::Alerts> makeAlerts();
std::unique_ptr<platform::Sounds> makeSounds();
std::unique_ptr<platform::WindowServer> makeWindowServer();

} // namespace mac
