#include "display/RecoveryJournal.h"

#include "platform/SystemLog.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

std::optional<float> fraction(const QJsonValue& v) {
    if (!v.isDouble() || !std::isfinite(v.toDouble()) || v.toDouble() < 0 || v.toDouble() > 1)
        return std::nullopt;
    return float(v.toDouble());
}

std::optional<uint64_t> wholeFromString(const QJsonValue& v, uint64_t max) {
    bool ok = false;
    const qulonglong n = v.toString().toULongLong(&ok);
    if (!v.isString() || !ok || n > max) return std::nullopt;
    return uint64_t(n);
}

} // namespace

RecoveryJournal::RecoveryJournal(std::string path, platform::SystemLog* log)
    : path_(std::move(path)), log_(log) {
    load();
}

void RecoveryJournal::load() {
    QFile f(QString::fromStdString(path_));
    if (!f.exists() || !f.open(QIODevice::ReadOnly)) return;
    const auto bytes = f.readAll();
    f.close();
    auto doc = QJsonDocument::fromJson(bytes);
    bool damaged = !doc.isObject();
    for (const auto& item : doc.object().value("displays").toArray()) {
        auto o = item.toObject();
        auto id = wholeFromString(o.value("id"), 0xFFFFFFFFu);
        auto brightness = fraction(o.value("brightness"));
        if (!id || *id == 0 || !brightness || !o.value("reason").isString()) {
            damaged = true;
            continue;
        }
        displays_.push_back({platform::DisplayID(*id), o.value("name").toString().toStdString(),
                             o.value("builtIn").toBool(), *brightness,
                             o.value("reason").toString().toStdString()});
    }
    for (const auto& item : doc.object().value("keyboards").toArray()) {
        auto o = item.toObject();
        auto id = wholeFromString(o.value("id"), UINT64_MAX);
        auto level = fraction(o.value("level"));
        if (!id || !level) {
            damaged = true;
            continue;
        }
        keyboards_[*id] = *level;
    }
    if (damaged && log_) {
        // Keep the original for a person to read; what could be read is written back whole.
        const QString aside = QString::fromStdString(path_) + ".damaged-" +
                              QDateTime::currentDateTimeUtc().toString("yyyyMMddHHmmsszzz");
        QFile::copy(QString::fromStdString(path_), aside);
        log_->write(platform::format("Recovery: journal %s is damaged; a copy is kept as %s",
                                     path_.c_str(), aside.toStdString().c_str()));
    }
    if (damaged) write();
}

void RecoveryJournal::write() {
    const QString path = QString::fromStdString(path_);
    if (empty()) {
        if (QFile::exists(path) && !QFile::remove(path) && log_)
            log_->write(platform::format("Recovery: cannot remove %s", path_.c_str()));
        return;
    }
    QJsonArray displays;
    for (const auto& d : displays_)
        displays.append(QJsonObject{{"id", QString::number(d.id)},
                                    {"name", QString::fromStdString(d.name)},
                                    {"builtIn", d.builtIn},
                                    {"brightness", double(d.brightness)},
                                    {"reason", QString::fromStdString(d.reason)}});
    QJsonArray keyboards;
    for (const auto& [id, level] : keyboards_)
        keyboards.append(QJsonObject{{"id", QString::number(id)}, {"level", double(level)}});
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile f(path);
    bool ok = f.open(QIODevice::WriteOnly);
    ok = ok && f.write(QJsonDocument(QJsonObject{{"displays", displays}, {"keyboards", keyboards}})
                           .toJson(QJsonDocument::Compact)) >= 0;
    ok = ok && f.commit();
    if (!ok && log_)
        log_->write(platform::format("Recovery: cannot write %s: %s", path_.c_str(),
                                     f.errorString().toStdString().c_str()));
}

void RecoveryJournal::recordDisplay(const DarkDisplay& entry) {
    for (const auto& d : displays_)
        if (d.id == entry.id && d.reason == entry.reason) return;
    DarkDisplay kept = entry;
    kept.brightness =
        std::isfinite(kept.brightness) ? std::clamp(kept.brightness, 0.0f, 1.0f) : 0.5f;
    displays_.push_back(kept);
    write();
}

void RecoveryJournal::clearDisplay(platform::DisplayID id, const std::string& reason) {
    auto gone = std::remove_if(displays_.begin(), displays_.end(), [&](const DarkDisplay& d) {
        return d.id == id && d.reason == reason;
    });
    if (gone == displays_.end()) return;
    displays_.erase(gone, displays_.end());
    write();
}

void RecoveryJournal::clearDisplay(platform::DisplayID id) {
    auto gone = std::remove_if(displays_.begin(), displays_.end(),
                               [&](const DarkDisplay& d) { return d.id == id; });
    if (gone == displays_.end()) return;
    displays_.erase(gone, displays_.end());
    write();
}

void RecoveryJournal::recordKeyboards(const std::map<uint64_t, float>& levels) {
    bool changed = false;
    for (const auto& [id, level] : levels)
        if (!keyboards_.count(id) && std::isfinite(level)) {
            keyboards_[id] = std::clamp(level, 0.0f, 1.0f);
            changed = true;
        }
    if (changed) write();
}

void RecoveryJournal::clearKeyboards() {
    if (keyboards_.empty()) return;
    keyboards_.clear();
    write();
}
