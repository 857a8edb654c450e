#pragma once
// One instance of every OS service. The backend that builds it owns the services.

namespace platform {

class RunLoop;
class Clock;
class SystemLog;
class UserDefaults;
class SystemPaths;
class SharedFiles;
class Displays;
class Screens;
class CoreDisplayInfo;
class IORegistry;
class Applications;
class StatusBar;
class Updater;
class Notifications;
class LoginItems;
class SystemLocale;
class Alerts;
class SystemAppearance;
class BuiltInBrightness;
class CoreBrightness;
class TransferTables;
class WindowServer;
class InputActivity;
class Cursor;
class ConcurrentQueue;
class AudioHardware;
class Processes;
class Hotkeys;
class PowerSources;
class PowerAssertions;
class Privileges;
class Sounds;
class KeyboardLayout;
class PropertyListFiles;

struct Platform {
    RunLoop* runLoop = nullptr;
    Clock* clock = nullptr;
    SystemLog* log = nullptr;
    UserDefaults* defaults = nullptr;
    SystemPaths* paths = nullptr;
    SharedFiles* sharedFiles = nullptr;
    Displays* displays = nullptr;
    Screens* screens = nullptr;
    CoreDisplayInfo* coreDisplay = nullptr;
    IORegistry* ioRegistry = nullptr;
    Applications* applications = nullptr;
    StatusBar* statusBar = nullptr;
    Updater* updater = nullptr;
    Notifications* notifications = nullptr;
    LoginItems* loginItems = nullptr;
    SystemLocale* locale = nullptr;
    Alerts* alerts = nullptr;
    SystemAppearance* appearance = nullptr;
    BuiltInBrightness* builtInBrightness = nullptr;
    CoreBrightness* coreBrightness = nullptr;
    TransferTables* transferTables = nullptr;
    WindowServer* windowServer = nullptr;
    InputActivity* inputActivity = nullptr;
    Cursor* cursor = nullptr;
    AudioHardware* audio = nullptr;
    Processes* processes = nullptr;
    Hotkeys* hotkeys = nullptr;
    KeyboardLayout* keyboardLayout = nullptr;
    PowerSources* powerSources = nullptr;
    PowerAssertions* powerAssertions = nullptr;
    Privileges* privileges = nullptr;
    Sounds* sounds = nullptr;
    PropertyListFiles* propertyLists = nullptr;
    // The global queue, for work that may wait on a device (user-initiated quality of service).
    ConcurrentQueue* globalQueue = nullptr;
};

// The platform the program runs on; set once by main() (or by a test fixture).
Platform& current();
bool hasCurrent();
// Changes whenever another platform is installed; caches of looked-up symbols compare it.
unsigned long currentGeneration();
void setCurrent(Platform* platform);

} // namespace platform
