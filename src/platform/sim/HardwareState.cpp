#include "platform/sim/HardwareState.h"

#include "platform/OutsideFiles.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace sim {

namespace {

bool unsignedKey(const QString& text, uint64_t max, uint64_t& out) {
    bool ok = false;
    const qulonglong v = text.toULongLong(&ok);
    if (!ok || v > max) return false;
    out = v;
    return true;
}

bool level(const QJsonValue& v, float& out) {
    const double d = v.toDouble(-1);
    if (!v.isDouble() || !std::isfinite(d) || d < 0 || d > 1) return false;
    out = float(d);
    return true;
}

} // namespace

HardwareState readHardwareState(const std::string& path, std::string& problems) {
    HardwareState state;
    platform::OutsideFileRules rules;
    rules.maxBytes = kMaxHardwareStateBytes;
    const auto file = platform::readOutsideFile(path, rules);
    using Status = platform::OutsideFile::Status;
    if (file.status == Status::missing) return state;
    QJsonDocument doc;
    if (file.ok()) doc = QJsonDocument::fromJson(QByteArray::fromStdString(file.bytes));
    if (!doc.isObject()) {
        problems = path + " " + (file.ok() ? "is not a JSON object" : file.problem);
        if (file.status == Status::unreadable) return state;
        // A FIFO, a device, an endless or damaged file moves aside: the state written next
        // lands in a plain file of its own.
        std::string error;
        if (const auto aside = platform::setAsideOutsideFile(path, "damaged", error))
            problems += "; moved to " + *aside;
        else
            problems += "; " + error;
        return state;
    }
    auto note = [&](const std::string& what) { problems += (problems.empty() ? "" : "; ") + what; };
    const auto root = doc.object();
    const auto monitors = root.value("monitors").toObject();
    for (auto m = monitors.begin(); m != monitors.end(); ++m) {
        uint64_t id = 0;
        if (!unsignedKey(m.key(), 0xFFFFFFFFu, id)) {
            note("monitor \"" + m.key().toStdString() + "\" is no display ID");
            continue;
        }
        const auto codes = m.value().toObject();
        for (auto c = codes.begin(); c != codes.end(); ++c) {
            uint64_t code = 0;
            const double v = c.value().toDouble(-1);
            if (!unsignedKey(c.key(), 0xFF, code) || !c.value().isDouble() || v < 0 || v > 0xFFFF ||
                std::floor(v) != v) {
                note("monitor " + m.key().toStdString() + " VCP \"" + c.key().toStdString() +
                     "\" is not a value from 0 to 65535");
                continue;
            }
            state.vcp[platform::DisplayID(id)][uint8_t(code)] = uint16_t(v);
        }
    }
    const auto panels = root.value("panels").toObject();
    for (auto p = panels.begin(); p != panels.end(); ++p) {
        uint64_t id = 0;
        float value = 0;
        if (unsignedKey(p.key(), 0xFFFFFFFFu, id) && level(p.value(), value))
            state.panels[platform::DisplayID(id)] = value;
        else
            note("panel \"" + p.key().toStdString() + "\" is not a level from 0 to 1");
    }
    const auto keyboards = root.value("keyboards").toObject();
    for (auto k = keyboards.begin(); k != keyboards.end(); ++k) {
        uint64_t id = 0;
        float value = 0;
        if (unsignedKey(k.key(), UINT64_MAX, id) && level(k.value(), value))
            state.keyboards[id] = value;
        else
            note("keyboard \"" + k.key().toStdString() + "\" is not a level from 0 to 1");
    }
    return state;
}

bool writeHardwareState(const std::string& path, const HardwareState& state, std::string& error) {
    QJsonObject monitors, panels, keyboards;
    for (const auto& [id, codes] : state.vcp) {
        QJsonObject values;
        for (const auto& [code, value] : codes)
            values[QString::number(code)] = int(value);
        monitors[QString::number(id)] = values;
    }
    for (const auto& [id, value] : state.panels)
        panels[QString::number(id)] = double(value);
    for (const auto& [id, value] : state.keyboards)
        keyboards[QString::number(id)] = double(value);
    return platform::writeOutsideFile(
        path,
        QJsonDocument(
            QJsonObject{{"monitors", monitors}, {"panels", panels}, {"keyboards", keyboards}})
            .toJson(QJsonDocument::Compact)
            .toStdString(),
        error);
}

} // namespace sim
