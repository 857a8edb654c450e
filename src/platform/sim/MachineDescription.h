#pragma once
// What a virtual Mac is made of, as read from its JSON description.

#include "platform/Displays.h"
#include "platform/Geometry.h"
#include "platform/Value.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace sim {

using platform::DisplayID;

struct VcpFeature {
    uint16_t current = 0;
    uint16_t maximum = 100;
};

// How a monitor behaves on its DDC/CI link.
struct MonitorDescription {
    std::map<uint8_t, VcpFeature> vcp; // VCP code -> value and maximum
    bool answers = true;               // false: every I2C operation fails
    bool dropsWrites = false;          // writes succeed on the bus but change nothing
    int badChecksums = 0;              // the first N replies carry a wrong checksum
    // The first N replies have a sound checksum but carry no value of the code asked: in turn
    // another kind of reply, "unsupported", and a reply about another VCP code.
    int strayReplies = 0;
    // Virtual time each I2C operation takes on the bus, in microseconds.
    uint32_t writeMicros = 0;
    uint32_t readMicros = 0;
};

// One entry of the I/O registry's IOService plane.
struct RegistryNode {
    std::string name;
    platform::Value properties; // a dictionary
    std::vector<RegistryNode> children;
    // For a "DCPAVServiceProxy": the display whose monitor answers on its I2C channel.
    std::optional<DisplayID> avServiceDisplay;
    bool avServiceCreationFails = false;
};

struct DisplayDescription {
    DisplayID id = 0;
    bool builtIn = false;
    bool online = true;
    bool hasScreen = true;       // false: online but no screen (a mirrored display)
    bool screenHasNumber = true; // false: the screen's device description lacks its number
    platform::Rect frame;        // global coordinates, top left of the main display at 0,0
    platform::Rect visibleFrame; // defaults to the frame less the menu bar on the main display
    std::string screenName;      // the screen's localised name
    // CoreDisplay's info dictionary; null means CoreDisplay knows nothing of the display.
    platform::Value info;
    // Absent for the built-in panel; a monitor that never answers has answers = false.
    std::optional<MonitorDescription> monitor;
    // The gamma transfer table: how many samples it reports, and faults.
    uint32_t gammaSamples = 256;
    bool gammaReadFails = false;
    bool gammaWriteFails = false;
    // DisplayServices brightness (the built-in panel's backlight), 0..1.
    float brightness = 0.8f;
    // Every mode the display reports, low-resolution duplicates included; the frame's size is
    // the current mode's point size.
    std::vector<platform::DisplayMode> modes;
    size_t currentMode = 0;
    bool modesUnreadable = false; // copying the modes fails
    DisplayID mirrorOf = 0;       // the master it mirrors; such a display has no screen
};

struct KeyboardBacklightDescription {
    uint64_t id = 1;
    float level = 0.5f;
};

// A CoreAudio device. A monitor's own audio is listed while its display is online.
struct AudioDeviceDescription {
    uint32_t id = 0;
    std::string name;
    std::string manufacturer;
    std::string transport; // "built-in", "hdmi", "displayport", "usb"
    int outputStreams = 1;
    int inputStreams = 0;
    bool hasVolume = true; // false: no main volume control
    float volume = 0.5f;
    std::optional<DisplayID> display;
};

// A key combination another application holds with the hotkey service.
struct ForeignHotkey {
    uint16_t code = 0;
    uint32_t modifiers = 0; // Carbon mask
    std::string application;
    bool exclusive = false; // registered with kEventHotKeyExclusive: others are refused it
};

// The laptop's battery and power adapter.
struct BatteryDescription {
    int percent = 95;
    bool adapterConnected = true;
    int adapterWatts = 96;
    // How the registry tells the adapter's power: "adapterDetails" (AdapterDetails.Watts),
    // "portController" (a USB-C port controller's maximum in milliwatts) or "none".
    std::string wattsFrom = "adapterDetails";
    int cycleCount = 123;
    int designCapacity = 4800;
    int rawMaxCapacity = 4430;
    int permanentFailureStatus = 0;
    std::string batteryHealth = "Good"; // "Check Battery" for a worn one
    // What system_profiler prints as "Maximum Capacity" (none: no such line), how long it
    // takes, and whether the tool exists at all.
    std::optional<int> profilerMaxCapacity = 93;
    double profilerSeconds = 0;
    bool hasProfiler = true;
    // The system's own optimised charging, per power-source profile.
    bool optimizedChargingOnBattery = false;
    bool optimizedChargingOnAC = false;
    // The power settings file's form: binary, as a Mac keeps it, or XML.
    bool powerSettingsXML = false;
    // The charging keys its system management controller has: "newer" (CHTE, CHIE), "older"
    // (CH0B, CH0C, CH0I) or "none" (the helper then enforces nothing and says so).
    std::string smcChargingKeys = "newer";
    // Registry properties that replace the battery's own, key by key (a null value removes one).
    platform::Value registryOverrides;
};

struct RunningAppDescription {
    std::string bundleIdentifier;
    std::string name;
};

struct MachineDescription {
    std::string model = "MacBook Pro (14-inch)"; // the marketing name
    std::string modelIdentifier = "Mac15,6";     // what sysctl "hw.model" answers
    std::vector<DisplayDescription> displays;    // in the system's online order
    RegistryNode registryRoot;                   // "Root" with its children
    bool registryIteratorFails = false;
    bool hasCoreDisplay = true;
    bool hasAVServices = true;
    bool onlineListFails = false;
    // Where display configuration transactions fail: "", "begin", "configure" or "complete".
    std::string configurationFailsAt;
    std::string localeIdentifier = "ko_KR";
    // The wall clock when the machine starts (2026-03-02 09:00 in Seoul), and the time zone.
    int64_t wallClockStart = 1772409600;
    int secondsFromGMT = 9 * 3600;
    std::vector<std::string> preferredLanguages = {"ko-KR"};
    std::vector<RunningAppDescription> runningApps;
    bool hasMainAppService = true; // macOS 13 or later
    bool loginItemEnabled = false;
    bool loginItemFails = false;         // register and unregister report an error
    bool loginItemNeedsApproval = false; // a registered item waits for the person's approval
    // Switched off by the person in Login Items: registering is refused, approval required.
    bool loginItemDisabledByUser = false;
    bool hasStatusItemButton = true;
    bool notificationsGranted = true; // the person's answer to the notification permission
    bool hasDisplayServices = true;
    bool hasCoreBrightness = true; // CBALC calls and the keyboard client's framework
    bool hasKeyboardClient = true; // the KeyboardBrightnessClient class
    bool autoBrightness = true;
    bool autoBrightnessRefused = false; // the switch refuses changes (a managed Mac)
    // After this long without input, with no assertion held, the machine would sleep.
    double systemSleepSeconds = 600;
    // The process ID of the remote-control software whose clicks are synthesised.
    int64_t remoteControlProcessID = 4242;
    bool blueLightOn = false; // the system's night colour filter
    float blueLightStrength = 0.5f;
    std::vector<KeyboardBacklightDescription> keyboardBacklights = {{1, 0.5f}};
    bool hasSkyLight = true;     // the private appearance calls
    bool darkAppearance = false; // the system-wide appearance
    std::vector<AudioDeviceDescription> audioDevices;
    uint32_t defaultOutput = 0;     // 0: none
    bool audioDevicesGiven = false; // false: built from the displays (see defaultAudioDevices)
    // The version the update feed offers; empty: the running version is the newest.
    std::string availableUpdate;
    bool hasUpdater = true; // false: a build without an update framework
    // The current ASCII-capable keyboard layout ("US", "German", "French"); empty: none with
    // layout data.
    std::string keyboardLayout = "US";
    uint32_t keyboardType = 40; // SimHotkeys' ANSI, ISO or JIS keyboard
    std::vector<ForeignHotkey> otherApplicationHotkeys;
    std::optional<BatteryDescription> battery = BatteryDescription{}; // none: a desktop Mac
    // Where the application bundle lies on the machine.
    std::string bundlePath = "/Applications/Nightlid.app";
};

} // namespace sim
