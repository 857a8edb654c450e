// Reading a machine description from JSON.

#include "platform/sim/VirtualMac.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <stdexcept>

// Resources linked from a static library must be registered by hand.
static void registerEmbeddedMachines() {
    Q_INIT_RESOURCE(resources);
}

namespace sim {

namespace {

using platform::Value;

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

bool boolField(const QJsonObject& o, const char* key, bool fallback, const std::string& where) {
    if (!o.contains(key)) return fallback;
    if (!o.value(key).isBool()) fail(where + "." + key, "must be true or false");
    return o.value(key).toBool();
}

int64_t intField(const QJsonObject& o, const char* key, int64_t fallback,
                 const std::string& where) {
    if (!o.contains(key)) return fallback;
    auto v = o.value(key);
    if (!v.isDouble() || std::floor(v.toDouble()) != v.toDouble())
        fail(where + "." + key, "must be a whole number");
    return int64_t(v.toDouble());
}

std::string stringField(const QJsonObject& o, const char* key, const std::string& fallback,
                        const std::string& where) {
    if (!o.contains(key)) return fallback;
    if (!o.value(key).isString()) fail(where + "." + key, "must be a string");
    return o.value(key).toString().toStdString();
}

platform::Rect rectField(const QJsonObject& o, const char* key, const std::string& where) {
    if (!o.contains(key)) return {};
    auto a = o.value(key).toArray();
    if (!o.value(key).isArray() || a.size() != 4)
        fail(where + "." + key, "must be [x, y, width, height]");
    return {a[0].toDouble(), a[1].toDouble(), a[2].toDouble(), a[3].toDouble()};
}

MonitorDescription parseMonitor(const QJsonObject& o, const std::string& where) {
    MonitorDescription m;
    m.answers = boolField(o, "answers", true, where);
    m.dropsWrites = boolField(o, "dropsWrites", false, where);
    m.badChecksums = int(intField(o, "badChecksums", 0, where));
    m.writeMicros = uint32_t(intField(o, "writeMicros", 0, where));
    m.readMicros = uint32_t(intField(o, "readMicros", 0, where));
    auto vcp = o.value("vcp").toObject();
    for (auto it = vcp.begin(); it != vcp.end(); ++it) {
        bool ok = false;
        uint code = it.key().toUInt(&ok, 0);
        auto pair = it.value().toArray();
        if (!ok || code > 0xFF)
            fail(where + ".vcp", "\"" + it.key().toStdString() + "\" is no VCP code");
        if (pair.size() != 2)
            fail(where + ".vcp." + it.key().toStdString(), "must be [current, maximum]");
        m.vcp[uint8_t(code)] = {uint16_t(pair[0].toInt()), uint16_t(pair[1].toInt())};
    }
    return m;
}

RegistryNode parseNode(const QJsonObject& o, const std::string& where) {
    RegistryNode n;
    n.name = stringField(o, "name", "", where);
    if (n.name.empty()) fail(where, "a registry entry needs a name");
    n.properties =
        o.contains("properties") ? toValue(o.value("properties")) : Value(platform::ValueDict{});
    if (o.contains("avServiceDisplay"))
        n.avServiceDisplay = uint32_t(intField(o, "avServiceDisplay", 0, where));
    n.avServiceCreationFails = boolField(o, "avServiceCreationFails", false, where);
    auto children = o.value("children").toArray();
    for (int i = 0; i < children.size(); ++i)
        n.children.push_back(
            parseNode(children[i].toObject(), where + ".children[" + std::to_string(i) + "]"));
    return n;
}

MachineDescription parseMachine(const QJsonObject& root) {
    MachineDescription d;
    d.model = stringField(root, "model", d.model, "machine");
    d.localeIdentifier = stringField(root, "locale", d.localeIdentifier, "machine");
    if (root.contains("preferredLanguages")) {
        d.preferredLanguages.clear();
        for (const auto& l : root.value("preferredLanguages").toArray())
            d.preferredLanguages.push_back(l.toString().toStdString());
    }
    d.hasCoreDisplay = boolField(root, "coreDisplay", true, "machine");
    d.hasAVServices = boolField(root, "avServices", true, "machine");
    d.onlineListFails = boolField(root, "onlineListFails", false, "machine");
    d.registryIteratorFails = boolField(root, "registryIteratorFails", false, "machine");
    d.hasStatusItemButton = boolField(root, "statusItemButton", true, "machine");
    auto login = root.value("loginItems").toObject();
    d.hasMainAppService = boolField(login, "mainAppService", true, "machine.loginItems");
    d.loginItemEnabled = boolField(login, "enabled", false, "machine.loginItems");
    d.loginItemFails = boolField(login, "fails", false, "machine.loginItems");
    d.hasDisplayServices = boolField(root, "displayServices", true, "machine");
    d.hasCoreBrightness = boolField(root, "coreBrightness", true, "machine");
    d.hasKeyboardClient = boolField(root, "keyboardClient", true, "machine");
    d.autoBrightness = boolField(root, "autoBrightness", true, "machine");
    d.hasSkyLight = boolField(root, "skyLight", true, "machine");
    d.darkAppearance = boolField(root, "darkAppearance", false, "machine");
    if (root.contains("keyboardBacklights")) {
        d.keyboardBacklights.clear();
        for (const auto& k : root.value("keyboardBacklights").toArray()) {
            auto o = k.toObject();
            d.keyboardBacklights.push_back(
                {uint64_t(intField(o, "id", 1, "machine.keyboardBacklights")),
                 float(o.value("level").toDouble(0.5))});
        }
    }
    for (const auto& a : root.value("runningApps").toArray()) {
        auto o = a.toObject();
        d.runningApps.push_back({stringField(o, "bundleIdentifier", "", "machine.runningApps"),
                                 stringField(o, "name", "", "machine.runningApps")});
    }
    auto displays = root.value("displays").toArray();
    if (!root.value("displays").isArray()) fail("machine.displays", "must be a list of displays");
    for (int i = 0; i < displays.size(); ++i) {
        std::string where = "machine.displays[" + std::to_string(i) + "]";
        auto o = displays[i].toObject();
        DisplayDescription x;
        x.id = uint32_t(intField(o, "id", 0, where));
        if (x.id == 0) fail(where + ".id", "a display needs a non-zero id");
        for (const auto& other : d.displays)
            if (other.id == x.id)
                fail(where + ".id", "id " + std::to_string(x.id) + " is used twice");
        x.builtIn = boolField(o, "builtIn", false, where);
        x.online = boolField(o, "online", true, where);
        x.hasScreen = boolField(o, "hasScreen", true, where);
        x.screenHasNumber = boolField(o, "screenNumber", true, where);
        x.frame = rectField(o, "frame", where);
        x.visibleFrame = rectField(o, "visibleFrame", where);
        x.screenName = stringField(o, "screenName", "", where);
        if (o.contains("info")) x.info = toValue(o.value("info"));
        x.gammaSamples = uint32_t(intField(o, "gammaSamples", 256, where));
        if (x.gammaSamples == 0 || x.gammaSamples > 1024)
            fail(where + ".gammaSamples", "must be 1 to 1024");
        x.gammaReadFails = boolField(o, "gammaReadFails", false, where);
        x.gammaWriteFails = boolField(o, "gammaWriteFails", false, where);
        if (o.contains("brightness")) x.brightness = float(o.value("brightness").toDouble());
        if (o.contains("monitor"))
            x.monitor = parseMonitor(o.value("monitor").toObject(), where + ".monitor");
        d.displays.push_back(x);
    }
    if (root.contains("registry"))
        d.registryRoot = parseNode(root.value("registry").toObject(), "machine.registry");
    return d;
}

} // namespace

std::optional<MachineDescription> VirtualMac::parse(const std::string& json, std::string* error) {
    QJsonParseError err{};
    auto doc = QJsonDocument::fromJson(QByteArray::fromStdString(json), &err);
    if (err.error != QJsonParseError::NoError || !doc.isObject()) {
        if (error)
            *error = "machine description is not a JSON object (" +
                     err.errorString().toStdString() + " at offset " + std::to_string(err.offset) +
                     ")";
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
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly)) {
        if (error) *error = "cannot read machine description " + path;
        return std::nullopt;
    }
    auto d = parse(f.readAll().toStdString(), error);
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
