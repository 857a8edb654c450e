#include "platform/UserDefaults.h"

#include "platform/SystemLog.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace platform {

namespace {

// Each value is kept with its type, so a Float stays a Float even when it is a whole number.
QJsonObject encode(const UserDefaults::Stored& v) {
    QJsonObject o;
    if (auto b = std::get_if<bool>(&v)) o = {{"type", "bool"}, {"value", *b}};
    else if (auto i = std::get_if<int64_t>(&v))
        o = {{"type", "integer"}, {"value", QString::number(*i)}};
    else if (auto d = std::get_if<double>(&v)) o = {{"type", "double"}, {"value", *d}};
    else o = {{"type", "string"}, {"value", QString::fromStdString(std::get<std::string>(v))}};
    return o;
}

std::optional<UserDefaults::Stored> decode(const QJsonValue& j) {
    if (!j.isObject()) return std::nullopt;
    auto o = j.toObject();
    auto type = o.value("type").toString();
    auto v = o.value("value");
    if (type == "bool" && v.isBool()) return v.toBool();
    if (type == "integer" && v.isString()) {
        bool ok = false;
        qlonglong n = v.toString().toLongLong(&ok);
        if (ok) return int64_t(n);
    }
    if (type == "double" && v.isDouble()) return v.toDouble();
    if (type == "string" && v.isString()) return v.toString().toStdString();
    return std::nullopt;
}

} // namespace

UserDefaults::UserDefaults(std::string path, SystemLog* log) : path_(std::move(path)), log_(log) {
    load();
}

void UserDefaults::load() {
    if (path_.empty()) return;
    QFile f(QString::fromStdString(path_));
    if (!f.exists() || !f.open(QIODevice::ReadOnly)) return;
    auto bytes = f.readAll();
    f.close();
    QJsonParseError err{};
    auto doc = QJsonDocument::fromJson(bytes, &err);
    if (err.error != QJsonParseError::NoError || !doc.isObject()) {
        // Never lose a corrupt store silently: keep it beside the new one.
        auto aside = QString::fromStdString(path_) + ".corrupt-" +
                     QDateTime::currentDateTimeUtc().toString("yyyyMMddHHmmss");
        QFile::rename(QString::fromStdString(path_), aside);
        if (log_)
            log_->write(format("UserDefaults: unreadable defaults file moved to %s",
                               aside.toStdString().c_str()));
        return;
    }
    auto obj = doc.object();
    for (auto it = obj.begin(); it != obj.end(); ++it)
        if (auto v = decode(it.value())) values_[it.key().toStdString()] = *v;
}

bool UserDefaults::synchronize() {
    if (path_.empty()) return true;
    QJsonObject obj;
    for (const auto& [k, v] : values_) obj.insert(QString::fromStdString(k), encode(v));
    QDir().mkpath(QFileInfo(QString::fromStdString(path_)).absolutePath());
    QSaveFile f(QString::fromStdString(path_));
    if (!f.open(QIODevice::WriteOnly)) return false;
    f.write(QJsonDocument(obj).toJson(QJsonDocument::Indented));
    return f.commit();
}

void UserDefaults::store(const std::string& key, Stored value) {
    values_[key] = std::move(value);
    synchronize();
}

template <typename T>
static std::optional<T> typed(const std::map<std::string, UserDefaults::Stored>& m,
                              const std::string& key) {
    auto it = m.find(key);
    if (it == m.end()) return std::nullopt;
    if (auto p = std::get_if<T>(&it->second)) return *p;
    return std::nullopt;
}

std::optional<bool> UserDefaults::boolValue(const std::string& key) const {
    return typed<bool>(values_, key);
}
std::optional<int64_t> UserDefaults::integer(const std::string& key) const {
    return typed<int64_t>(values_, key);
}
std::optional<double> UserDefaults::doubleValue(const std::string& key) const {
    return typed<double>(values_, key);
}
std::optional<std::string> UserDefaults::string(const std::string& key) const {
    return typed<std::string>(values_, key);
}
std::optional<double> UserDefaults::number(const std::string& key) const {
    if (auto d = doubleValue(key)) return d;
    if (auto i = integer(key)) return double(*i);
    return std::nullopt;
}
std::optional<UserDefaults::Stored> UserDefaults::object(const std::string& key) const {
    auto it = values_.find(key);
    if (it == values_.end()) return std::nullopt;
    return it->second;
}

void UserDefaults::set(const std::string& key, bool value) { store(key, value); }
void UserDefaults::set(const std::string& key, int64_t value) { store(key, value); }
void UserDefaults::set(const std::string& key, double value) { store(key, value); }
void UserDefaults::set(const std::string& key, const std::string& value) { store(key, value); }

void UserDefaults::remove(const std::string& key) {
    if (values_.erase(key)) synchronize();
}

} // namespace platform
