// Reading a machine description from JSON.

#include "platform/sim/SimDisplayModes.h"
#include "platform/sim/SimHotkeys.h"
#include "platform/sim/VirtualMac.h"
#include "platform/sim/VirtualSmc.h"

#include "platform/OutsideFiles.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>
#include <limits>
#include <sstream>
#include <stdexcept>

// Resources linked from a static library must be registered by hand.
static void registerEmbeddedMachines() {
    Q_INIT_RESOURCE(resources);
}

namespace sim {

namespace {

using platform::Value;

constexpr size_t kMaxDescriptionBytes = 16 * 1024 * 1024;

struct ParseError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

[[noreturn]] void fail(const std::string& where, const std::string& what) {
    throw ParseError(where + ": " + what);
}

Value toValue(const QJsonValue& j) {
    switch (j.type()) {
    case QJsonValue::Bool:
        return Value(j.toBool());
    case QJsonValue::Double: {
        double d = j.toDouble();
        if (std::floor(d) == d && std::fabs(d) < 9e15) return Value(int64_t(d));
        return Value(d);
    }
    case QJsonValue::String:
        return Value(j.toString().toStdString());
    case QJsonValue::Array: {
        platform::ValueArray a;
        for (const auto& x : j.toArray())
            a.push_back(toValue(x));
        return Value(a);
    }
    case QJsonValue::Object: {
        Value v = Value(platform::ValueDict{});
        auto o = j.toObject();
        for (auto it = o.begin(); it != o.end(); ++it)
            v.set(it.key().toStdString(), toValue(it.value()));
        return v;
    }
    default:
        return Value();
    }
}

// Limits that keep every later conversion and the painter well inside their ranges.
constexpr int64_t kMaxDisplays = 16;
constexpr double kMaxCoordinate = 1e6; // points from the origin
constexpr double kMaxScreenSide = 1e5; // points
constexpr int64_t kMaxMicros = 10'000'000;
constexpr int64_t kMaxKeyboardID = std::numeric_limits<int64_t>::max();

std::string numberText(double v) {
    std::ostringstream out;
    out << v;
    return out.str();
}

bool boolField(const QJsonObject& o, const char* key, bool fallback, const std::string& where) {
    if (!o.contains(key)) return fallback;
    if (!o.value(key).isBool()) fail(where + "." + key, "must be true or false");
    return o.value(key).toBool();
}

int64_t wholeNumber(const QJsonValue& v, int64_t lo, int64_t hi, const std::string& where) {
    const std::string range =
        "must be a whole number from " + std::to_string(lo) + " to " + std::to_string(hi);
    if (!v.isDouble()) fail(where, range);
    const double d = v.toDouble();
    // Compared as doubles first: casting an out-of-range double to an integer is undefined.
    if (!std::isfinite(d) || std::floor(d) != d || d < double(lo) || d > double(hi))
        fail(where, range + " (got " + numberText(d) + ")");
    return int64_t(d);
}

int64_t intField(const QJsonObject& o, const char* key, int64_t fallback, int64_t lo, int64_t hi,
                 const std::string& where) {
    if (!o.contains(key)) return fallback;
    return wholeNumber(o.value(key), lo, hi, where + "." + key);
}

double numberField(const QJsonObject& o, const char* key, double fallback, double lo, double hi,
                   const std::string& where) {
    if (!o.contains(key)) return fallback;
    auto v = o.value(key);
    const double d = v.toDouble();
    if (!v.isDouble() || !std::isfinite(d) || d < lo || d > hi)
        fail(where + "." + key, "must be a number from " + numberText(lo) + " to " +
                                    numberText(hi) +
                                    (v.isDouble() ? " (got " + numberText(d) + ")" : ""));
    return d;
}

std::string stringField(const QJsonObject& o, const char* key, const std::string& fallback,
                        const std::string& where) {
    if (!o.contains(key)) return fallback;
    if (!o.value(key).isString()) fail(where + "." + key, "must be a string");
    return o.value(key).toString().toStdString();
}

QJsonObject objectField(const QJsonObject& o, const char* key, const std::string& where) {
    if (!o.contains(key)) return {};
    if (!o.value(key).isObject()) fail(where + "." + key, "must be an object");
    return o.value(key).toObject();
}

QJsonArray arrayField(const QJsonObject& o, const char* key, const std::string& where) {
    if (!o.contains(key)) return {};
    if (!o.value(key).isArray()) fail(where + "." + key, "must be a list");
    return o.value(key).toArray();
}

QJsonObject objectAt(const QJsonArray& a, int i, const std::string& where) {
    if (!a[i].isObject()) fail(where, "must be an object");
    return a[i].toObject();
}

std::optional<platform::Rect> rectField(const QJsonObject& o, const char* key,
                                        const std::string& where) {
    if (!o.contains(key)) return std::nullopt;
    const std::string at = where + "." + key;
    auto a = o.value(key).toArray();
    if (!o.value(key).isArray() || a.size() != 4) fail(at, "must be [x, y, width, height]");
    double n[4];
    for (int i = 0; i < 4; ++i) {
        if (!a[i].isDouble() || !std::isfinite(a[i].toDouble()))
            fail(at, "must be [x, y, width, height] in numbers");
        n[i] = a[i].toDouble();
    }
    if (std::fabs(n[0]) > kMaxCoordinate || std::fabs(n[1]) > kMaxCoordinate)
        fail(at, "x and y must lie within " + numberText(kMaxCoordinate) + " points of the origin");
    if (n[2] < 1 || n[3] < 1 || n[2] > kMaxScreenSide || n[3] > kMaxScreenSide)
        fail(at, "width and height must be from 1 to " + numberText(kMaxScreenSide) + " points");
    return platform::Rect{n[0], n[1], n[2], n[3]};
}

MonitorDescription parseMonitor(const QJsonObject& o, const std::string& where) {
    MonitorDescription m;
    m.answers = boolField(o, "answers", true, where);
    m.dropsWrites = boolField(o, "dropsWrites", false, where);
    m.badChecksums = int(intField(o, "badChecksums", 0, 0, 1'000'000, where));
    m.strayReplies = int(intField(o, "strayReplies", 0, 0, 1'000'000, where));
    m.writeMicros = uint32_t(intField(o, "writeMicros", 0, 0, kMaxMicros, where));
    m.readMicros = uint32_t(intField(o, "readMicros", 0, 0, kMaxMicros, where));
    auto vcp = objectField(o, "vcp", where);
    for (auto it = vcp.begin(); it != vcp.end(); ++it) {
        bool ok = false;
        uint code = it.key().toUInt(&ok, 0);
        const std::string at = where + ".vcp." + it.key().toStdString();
        auto pair = it.value().toArray();
        if (!ok || code > 0xFF)
            fail(where + ".vcp", "\"" + it.key().toStdString() + "\" is no VCP code");
        if (!it.value().isArray() || pair.size() != 2) fail(at, "must be [current, maximum]");
        auto current = wholeNumber(pair[0], 0, 0xFFFF, at + "[0] (current)");
        auto maximum = wholeNumber(pair[1], 0, 0xFFFF, at + "[1] (maximum)");
        if (current > maximum)
            fail(at, "current " + std::to_string(current) + " is above the maximum " +
                         std::to_string(maximum));
        m.vcp[uint8_t(code)] = {uint16_t(current), uint16_t(maximum)};
    }
    return m;
}

RegistryNode parseNode(const QJsonObject& o, const std::string& where, int depth) {
    if (depth > 64) fail(where, "the registry is nested deeper than 64 levels");
    RegistryNode n;
    n.name = stringField(o, "name", "", where);
    if (n.name.empty()) fail(where, "a registry entry needs a name");
    if (o.contains("properties") && !o.value("properties").isObject())
        fail(where + ".properties", "must be an object");
    n.properties =
        o.contains("properties") ? toValue(o.value("properties")) : Value(platform::ValueDict{});
    if (o.contains("avServiceDisplay"))
        n.avServiceDisplay = uint32_t(intField(o, "avServiceDisplay", 0, 1, 0xFFFFFFFF, where));
    n.avServiceCreationFails = boolField(o, "avServiceCreationFails", false, where);
    auto children = arrayField(o, "children", where);
    for (int i = 0; i < children.size(); ++i) {
        std::string at = where + ".children[" + std::to_string(i) + "]";
        n.children.push_back(parseNode(objectAt(children, i, at), at, depth + 1));
    }
    return n;
}

// [width, height, pixel width, pixel height, refresh] with an optional usable flag.
platform::DisplayMode parseMode(const QJsonValue& v, const std::string& where) {
    const std::string form = "must be [width, height, pixelWidth, pixelHeight, refreshHz] with an "
                             "optional usable flag";
    if (!v.isArray()) fail(where, form);
    auto a = v.toArray();
    if (a.size() != 5 && a.size() != 6) fail(where, form);
    platform::DisplayMode m;
    m.width = int(wholeNumber(a[0], 1, int64_t(kMaxScreenSide), where + "[0]"));
    m.height = int(wholeNumber(a[1], 1, int64_t(kMaxScreenSide), where + "[1]"));
    m.pixelWidth = int(wholeNumber(a[2], 1, 2 * int64_t(kMaxScreenSide), where + "[2]"));
    m.pixelHeight = int(wholeNumber(a[3], 1, 2 * int64_t(kMaxScreenSide), where + "[3]"));
    const double hz = a[4].toDouble(-1);
    if (!a[4].isDouble() || !std::isfinite(hz) || hz < 0 || hz > 1000)
        fail(where + "[4]", "the refresh rate must be a number from 0 to 1000");
    m.refreshRate = hz;
    if (a.size() == 6) {
        if (!a[5].isBool()) fail(where + "[5]", "the usable flag must be true or false");
        m.usableForDesktop = a[5].toBool();
    }
    return m;
}

void parseModes(const QJsonObject& o, const std::string& where, DisplayDescription& x) {
    x.modesUnreadable = boolField(o, "modesUnreadable", false, where);
    if (!o.contains("modes")) {
        x.modes = {modeForFrame(x.frame, x.builtIn)};
        if (o.contains("currentMode")) fail(where + ".currentMode", "needs a list of modes");
        return;
    }
    auto v = o.value("modes");
    if (v.isString()) {
        auto preset = modePreset(v.toString().toStdString());
        if (!preset) {
            std::string names;
            for (const auto& n : modePresetNames())
                names += (names.empty() ? "" : ", ") + n;
            fail(where + ".modes", "names no mode family; known: " + names);
        }
        x.modes = *preset;
    } else if (v.isArray()) {
        auto list = v.toArray();
        if (list.isEmpty() || list.size() > 256) fail(where + ".modes", "must list 1 to 256 modes");
        for (int i = 0; i < list.size(); ++i)
            x.modes.push_back(parseMode(list[i], where + ".modes[" + std::to_string(i) + "]"));
    } else {
        fail(where + ".modes", "must be a mode family's name or a list of modes");
    }
    if (o.contains("currentMode")) {
        auto current = parseMode(o.value("currentMode"), where + ".currentMode");
        auto it = std::find(x.modes.begin(), x.modes.end(), current);
        if (it == x.modes.end()) fail(where + ".currentMode", "is not one of the display's modes");
        x.currentMode = size_t(it - x.modes.begin());
    } else if (auto match = modeMatchingFrame(x.modes, x.frame)) {
        x.currentMode = *match;
    } else {
        fail(where + ".currentMode", "no usable mode is the frame's size; name the current mode");
    }
    const auto& m = x.modes[x.currentMode];
    if (!m.usableForDesktop) fail(where + ".currentMode", "is not usable for the desktop");
    // The frame follows the mode, so a description needs to give only one of them.
    x.frame.width = m.width;
    x.frame.height = m.height;
}

DisplayDescription parseDisplay(const QJsonObject& o, const std::string& where,
                                const std::vector<DisplayDescription>& before) {
    DisplayDescription x;
    x.id = uint32_t(intField(o, "id", 0, 0, 0xFFFFFFFF, where));
    if (x.id == 0) fail(where + ".id", "a display needs an id from 1 to 4294967295");
    for (const auto& other : before)
        if (other.id == x.id) fail(where + ".id", "id " + std::to_string(x.id) + " is used twice");
    x.builtIn = boolField(o, "builtIn", false, where);
    x.online = boolField(o, "online", true, where);
    x.hasScreen = boolField(o, "hasScreen", true, where);
    x.screenHasNumber = boolField(o, "screenNumber", true, where);
    // Without a frame a display sits to the right of the one before it.
    double right = 0;
    for (const auto& other : before)
        right = std::max(right, other.frame.x + other.frame.width);
    x.frame = rectField(o, "frame", where).value_or(platform::Rect{right, 0, 1920, 1080});
    x.visibleFrame = rectField(o, "visibleFrame", where).value_or(platform::Rect{});
    parseModes(o, where, x);
    x.mirrorOf = DisplayID(intField(o, "mirrorOf", 0, 0, 0xFFFFFFFF, where));
    if (x.mirrorOf == x.id) fail(where + ".mirrorOf", "a display cannot mirror itself");
    if (x.mirrorOf) x.hasScreen = false;
    x.screenName = stringField(o, "screenName", "", where);
    if (o.contains("info")) {
        if (!o.value("info").isObject()) fail(where + ".info", "must be an object");
        x.info = toValue(o.value("info"));
    }
    x.gammaSamples = uint32_t(intField(o, "gammaSamples", 256, 1, 1024, where));
    x.gammaReadFails = boolField(o, "gammaReadFails", false, where);
    x.gammaWriteFails = boolField(o, "gammaWriteFails", false, where);
    x.brightness = float(numberField(o, "brightness", x.brightness, 0, 1, where));
    if (o.contains("monitor")) {
        if (!o.value("monitor").isObject()) fail(where + ".monitor", "must be an object");
        x.monitor = parseMonitor(o.value("monitor").toObject(), where + ".monitor");
    }
    return x;
}

MachineDescription parseMachine(const QJsonObject& root) {
    MachineDescription d;
    d.model = stringField(root, "model", d.model, "machine");
    d.modelIdentifier = stringField(root, "modelIdentifier", d.modelIdentifier, "machine");
    d.localeIdentifier = stringField(root, "locale", d.localeIdentifier, "machine");
    if (root.contains("preferredLanguages")) {
        d.preferredLanguages.clear();
        for (const auto& l : arrayField(root, "preferredLanguages", "machine")) {
            if (!l.isString()) fail("machine.preferredLanguages", "must be a list of strings");
            d.preferredLanguages.push_back(l.toString().toStdString());
        }
    }
    d.hasCoreDisplay = boolField(root, "coreDisplay", true, "machine");
    d.hasAVServices = boolField(root, "avServices", true, "machine");
    d.onlineListFails = boolField(root, "onlineListFails", false, "machine");
    d.registryIteratorFails = boolField(root, "registryIteratorFails", false, "machine");
    d.hasStatusItemButton = boolField(root, "statusItemButton", true, "machine");
    auto notifications = objectField(root, "notifications", "machine");
    d.notificationsGranted = boolField(notifications, "granted", true, "machine.notifications");
    auto login = objectField(root, "loginItems", "machine");
    d.hasMainAppService = boolField(login, "mainAppService", true, "machine.loginItems");
    d.loginItemEnabled = boolField(login, "enabled", false, "machine.loginItems");
    d.loginItemFails = boolField(login, "fails", false, "machine.loginItems");
    d.loginItemNeedsApproval = boolField(login, "requiresApproval", false, "machine.loginItems");
    d.loginItemDisabledByUser = boolField(login, "disabledByUser", false, "machine.loginItems");
    d.hasDisplayServices = boolField(root, "displayServices", true, "machine");
    d.hasCoreBrightness = boolField(root, "coreBrightness", true, "machine");
    d.autoBrightnessRefused = boolField(root, "autoBrightnessRefused", false, "machine");
    d.hasKeyboardClient = boolField(root, "keyboardClient", true, "machine");
    d.autoBrightness = boolField(root, "autoBrightness", true, "machine");
    d.hasSkyLight = boolField(root, "skyLight", true, "machine");
    d.darkAppearance = boolField(root, "darkAppearance", false, "machine");
    d.hasUpdater = boolField(root, "updater", true, "machine");
    d.availableUpdate = stringField(root, "availableUpdate", "", "machine");
    if (!d.availableUpdate.empty() &&
        (d.availableUpdate.size() > 32 ||
         d.availableUpdate.find_first_not_of("0123456789.") != std::string::npos))
        fail("machine.availableUpdate", "must be a version like \"1.2.0\"");
    if (root.contains("keyboardBacklights")) {
        d.keyboardBacklights.clear();
        auto list = arrayField(root, "keyboardBacklights", "machine");
        for (int i = 0; i < list.size(); ++i) {
            std::string at = "machine.keyboardBacklights[" + std::to_string(i) + "]";
            auto o = objectAt(list, i, at);
            d.keyboardBacklights.push_back({uint64_t(intField(o, "id", 1, 0, kMaxKeyboardID, at)),
                                            float(numberField(o, "level", 0.5, 0, 1, at))});
        }
    }
    if (root.contains("audio")) {
        auto audio = objectField(root, "audio", "machine");
        d.audioDevicesGiven = true;
        auto list = arrayField(audio, "devices", "machine.audio");
        for (int i = 0; i < list.size(); ++i) {
            std::string at = "machine.audio.devices[" + std::to_string(i) + "]";
            auto o = objectAt(list, i, at);
            AudioDeviceDescription a;
            a.id = uint32_t(intField(o, "id", 0, 2, 0xFFFFFFFF, at));
            if (a.id == 0) fail(at + ".id", "a device needs an id from 2 to 4294967295");
            for (const auto& other : d.audioDevices)
                if (other.id == a.id)
                    fail(at + ".id", "id " + std::to_string(a.id) + " is used twice");
            a.name = stringField(o, "name", "", at);
            a.manufacturer = stringField(o, "manufacturer", "", at);
            a.transport = stringField(o, "transport", "usb", at);
            a.outputStreams = int(intField(o, "outputStreams", 1, 0, 64, at));
            a.inputStreams = int(intField(o, "inputStreams", 0, 0, 64, at));
            a.hasVolume = boolField(o, "hasVolume", true, at);
            a.volume = float(numberField(o, "volume", 0.5, 0, 1, at));
            if (o.contains("display"))
                a.display = uint32_t(intField(o, "display", 0, 1, 0xFFFFFFFF, at));
            d.audioDevices.push_back(a);
        }
        if (audio.contains("defaultOutput")) {
            auto name = stringField(audio, "defaultOutput", "", "machine.audio");
            for (const auto& a : d.audioDevices)
                if (a.name == name && a.outputStreams > 0) d.defaultOutput = a.id;
            if (d.defaultOutput == 0)
                fail("machine.audio.defaultOutput", "\"" + name + "\" is no output device listed");
        }
    }
    auto apps = arrayField(root, "runningApps", "machine");
    for (int i = 0; i < apps.size(); ++i) {
        std::string at = "machine.runningApps[" + std::to_string(i) + "]";
        auto o = objectAt(apps, i, at);
        d.runningApps.push_back(
            {stringField(o, "bundleIdentifier", "", at), stringField(o, "name", "", at)});
    }
    if (root.contains("keyboardLayout")) {
        if (root.value("keyboardLayout").isNull()) {
            d.keyboardLayout.clear();
        } else {
            d.keyboardLayout = stringField(root, "keyboardLayout", "US", "machine");
            if (!knownKeyboardLayout(d.keyboardLayout))
                fail("machine.keyboardLayout",
                     "\"" + d.keyboardLayout +
                         "\" is no known layout (US, German, French or null)");
        }
    }
    if (root.contains("keyboardType")) {
        const std::string type = stringField(root, "keyboardType", "ANSI", "machine");
        if (type == "ANSI")
            d.keyboardType = SimHotkeys::kAnsiKeyboard;
        else if (type == "ISO")
            d.keyboardType = SimHotkeys::kIsoKeyboard;
        else if (type == "JIS")
            d.keyboardType = SimHotkeys::kJisKeyboard;
        else
            fail("machine.keyboardType", "\"" + type + "\" is no keyboard type (ANSI, ISO or JIS)");
    }
    if (root.contains("battery")) {
        if (root.value("battery").isNull()) {
            d.battery.reset();
        } else {
            const std::string at = "machine.battery";
            auto b = objectField(root, "battery", "machine");
            BatteryDescription x;
            x.percent = int(intField(b, "percent", x.percent, 0, 100, at));
            x.adapterConnected = boolField(b, "adapter", x.adapterConnected, at);
            x.adapterWatts = int(intField(b, "watts", x.adapterWatts, 1, 1000, at));
            x.wattsFrom = stringField(b, "wattsFrom", x.wattsFrom, at);
            if (x.wattsFrom != "adapterDetails" && x.wattsFrom != "portController" &&
                x.wattsFrom != "none")
                fail(at + ".wattsFrom",
                     "must be \"adapterDetails\", \"portController\" or \"none\"");
            x.cycleCount = int(intField(b, "cycleCount", x.cycleCount, 0, 100000, at));
            x.designCapacity = int(intField(b, "designCapacity", x.designCapacity, 0, 1000000, at));
            x.rawMaxCapacity = int(intField(b, "rawMaxCapacity", x.rawMaxCapacity, 0, 1000000, at));
            x.permanentFailureStatus =
                int(intField(b, "permanentFailureStatus", 0, 0, 1000000, at));
            x.batteryHealth = stringField(b, "batteryHealth", x.batteryHealth, at);
            if (b.contains("profilerMaxCapacity")) {
                if (b.value("profilerMaxCapacity").isNull())
                    x.profilerMaxCapacity.reset();
                else
                    x.profilerMaxCapacity = int(intField(b, "profilerMaxCapacity", 0, 0, 1000, at));
            }
            x.profilerSeconds = numberField(b, "profilerSeconds", x.profilerSeconds, 0, 60, at);
            x.hasProfiler = boolField(b, "profiler", x.hasProfiler, at);
            x.optimizedChargingOnBattery = boolField(b, "optimizedChargingOnBattery", false, at);
            x.optimizedChargingOnAC = boolField(b, "optimizedChargingOnAC", false, at);
            const std::string form = stringField(b, "powerSettingsFormat", "binary", at);
            if (form != "binary" && form != "xml")
                fail(at + ".powerSettingsFormat", "must be \"binary\" or \"xml\"");
            x.powerSettingsXML = form == "xml";
            x.smcChargingKeys = stringField(b, "smcChargingKeys", x.smcChargingKeys, at);
            if (!smcFirmwareNamed(x.smcChargingKeys))
                fail(at + ".smcChargingKeys", "must be \"newer\", \"older\" or \"none\"");
            if (b.contains("registryProperties")) {
                if (!b.value("registryProperties").isObject())
                    fail(at + ".registryProperties", "must be an object");
                x.registryOverrides = toValue(b.value("registryProperties"));
            }
            d.battery = x;
        }
    }
    d.wallClockStart =
        intField(root, "wallClockStart", d.wallClockStart, 0, 253402300799, "machine");
    d.secondsFromGMT =
        int(intField(root, "secondsFromGMT", d.secondsFromGMT, -14 * 3600, 14 * 3600, "machine"));
    if (root.contains("blueLight")) {
        auto b = objectField(root, "blueLight", "machine");
        d.blueLightOn = boolField(b, "on", false, "machine.blueLight");
        d.blueLightStrength = float(numberField(b, "strength", 0.5, 0, 1, "machine.blueLight"));
    }
    d.systemSleepSeconds =
        numberField(root, "systemSleepSeconds", d.systemSleepSeconds, 1, 86400, "machine");
    d.remoteControlProcessID =
        intField(root, "remoteControlProcessID", d.remoteControlProcessID, 1, 99999999, "machine");
    d.bundlePath = stringField(root, "bundlePath", d.bundlePath, "machine");
    if (d.bundlePath.empty() || d.bundlePath[0] != '/' ||
        d.bundlePath.find("/../") != std::string::npos || d.bundlePath.size() > 1024)
        fail("machine.bundlePath", "must be an absolute path without \"/../\"");
    auto held = arrayField(root, "otherApplicationHotkeys", "machine");
    for (int i = 0; i < held.size(); ++i) {
        std::string at = "machine.otherApplicationHotkeys[" + std::to_string(i) + "]";
        auto o = objectAt(held, i, at);
        ForeignHotkey f;
        f.code = uint16_t(intField(o, "code", 0, 0, 0xFFFF, at));
        f.modifiers = uint32_t(intField(o, "modifiers", 0, 0, 0xFFFF, at));
        f.application = stringField(o, "application", "", at);
        f.exclusive = boolField(o, "exclusive", false, at);
        if (f.application.empty()) fail(at + ".application", "must name the application");
        d.otherApplicationHotkeys.push_back(f);
    }
    if (!root.value("displays").isArray()) fail("machine.displays", "must be a list of displays");
    auto displays = root.value("displays").toArray();
    if (displays.size() > kMaxDisplays)
        fail("machine.displays", "lists " + std::to_string(displays.size()) +
                                     " displays; at most " + std::to_string(kMaxDisplays) +
                                     " can be online");
    for (int i = 0; i < displays.size(); ++i) {
        std::string where = "machine.displays[" + std::to_string(i) + "]";
        d.displays.push_back(parseDisplay(objectAt(displays, i, where), where, d.displays));
    }
    for (size_t i = 0; i < d.displays.size(); ++i) {
        const auto& x = d.displays[i];
        if (!x.mirrorOf) continue;
        auto master = std::find_if(d.displays.begin(), d.displays.end(),
                                   [&](const auto& m) { return m.id == x.mirrorOf; });
        const std::string at = "machine.displays[" + std::to_string(i) + "].mirrorOf";
        if (master == d.displays.end()) fail(at, "names no display of this machine");
        if (master->mirrorOf) fail(at, "names a display that mirrors another itself");
        d.displays[i].frame.x = master->frame.x;
        d.displays[i].frame.y = master->frame.y;
    }
    d.configurationFailsAt = stringField(root, "configurationFailsAt", "", "machine");
    if (!d.configurationFailsAt.empty() && d.configurationFailsAt != "begin" &&
        d.configurationFailsAt != "configure" && d.configurationFailsAt != "complete")
        fail("machine.configurationFailsAt", "must be \"begin\", \"configure\" or \"complete\"");
    if (root.contains("registry")) {
        if (!root.value("registry").isObject()) fail("machine.registry", "must be an object");
        d.registryRoot = parseNode(root.value("registry").toObject(), "machine.registry", 0);
    }
    return d;
}

} // namespace

std::optional<MachineDescription> VirtualMac::parse(const std::string& json, std::string* error) {
    QJsonParseError err{};
    auto doc = QJsonDocument::fromJson(QByteArray::fromStdString(json), &err);
    if (err.error != QJsonParseError::NoError) {
        if (error)
            *error = "machine description is not valid JSON: " + err.errorString().toStdString() +
                     " at offset " + std::to_string(err.offset);
        return std::nullopt;
    }
    if (!doc.isObject()) {
        if (error) *error = "machine description must be a JSON object ({ ... }), not a list";
        return std::nullopt;
    }
    try {
        return parseMachine(doc.object());
    } catch (const ParseError& e) {
        if (error) *error = e.what();
        return std::nullopt;
    }
}

std::optional<MachineDescription> VirtualMac::load(const std::string& path, std::string* error) {
    std::string bytes;
    if (path.rfind(":/", 0) == 0) {
        // Built into the program.
        QFile f(QString::fromStdString(path));
        if (!f.open(QIODevice::ReadOnly)) {
            if (error) *error = "cannot read machine description " + path;
            return std::nullopt;
        }
        bytes = f.readAll().toStdString();
    } else {
        // No further than the limit, and a pipe (--machine <(...)) only as long as it sends.
        platform::OutsideFileRules rules;
        rules.maxBytes = kMaxDescriptionBytes;
        rules.pipeSeconds = platform::kPipeSeconds;
        auto file = platform::readOutsideFile(path, rules);
        if (!file.ok()) {
            if (error)
                *error = file.status == platform::OutsideFile::Status::missing
                             ? "cannot read machine description " + path + ": no such file"
                             : "machine description " + path + " " + file.problem;
            return std::nullopt;
        }
        bytes = std::move(file.bytes);
    }
    auto d = parse(bytes, error);
    if (!d && error) *error = path + ": " + *error;
    return d;
}

MachineDescription VirtualMac::defaultDescription() {
    registerEmbeddedMachines();
    std::string error;
    auto d = load(":/machines/default.json", &error);
    if (!d) throw std::runtime_error("embedded machine description is broken: " + error);
    return *d;
}

} // namespace sim
