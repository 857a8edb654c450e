#pragma once
// The macOS backend's services, one adapter each. Each is made here and owned by MacBackend.

#include "platform/Alerts.h"
#include "platform/Applications.h"
#include "platform/BuiltInBrightness.h"
#include "platform/CoreDisplayInfo.h"
#include "platform/Cursor.h"
#include "platform/Displays.h"
#include "platform/IORegistry.h"
#include "platform/InputActivity.h"
#include "platform/PowerSources.h"
#include "platform/Processes.h"
#include "platform/Screens.h"
#include "platform/Sounds.h"
#include "platform/StatusBar.h"
#include "platform/SystemAppearance.h"
#include "platform/SystemLocale.h"
#include "platform/TransferTables.h"
#include "platform/UserDefaults.h"
#include "platform/WindowServer.h"

#include <memory>
#include <string>

namespace mac {

class SymbolLibrary;

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
// Core Foundation
std::unique_ptr<platform::DefaultsDomain> makePreferencesDomain(const std::string& domain);
std::unique_ptr<platform::SystemLocale> makeSystemLocale();
void writeUnifiedLog(const std::string& line);
std::unique_ptr<platform::Processes> makeProcesses();
// IOKit power sources and assertions
std::unique_ptr<platform::PowerSources> makePowerSources();
std::unique_ptr<platform::PowerAssertions> makePowerAssertions();
// AppKit
std::unique_ptr<platform::Screens> makeScreens();
std::unique_ptr<platform::StatusBar> makeStatusBar();
std::unique_ptr<platform::InputActivity> makeInputActivity();
std::unique_ptr<platform::Applications> makeApplications();
std::unique_ptr<platform::Alerts> makeAlerts();
std::unique_ptr<platform::Sounds> makeSounds();
std::unique_ptr<platform::SystemAppearance> makeAppearance();
std::unique_ptr<platform::WindowServer> makeWindowServer();

} // namespace mac
