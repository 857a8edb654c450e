#include "platform/UserDefaults.h"

#include "platform/OutsideFiles.h"
#include "platform/RunLoop.h"
#include "platform/SystemLog.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace platform {

namespace {

// Each value is kept with its type, so a Float stays a Float even when it is a whole number.
QJsonObject encode(const UserDefaults::Stored& v) {
    QJsonObject o;
    if (auto b = std::get_if<bool>(&v))
        o = {{"type", "bool"}, {"value", *b}};
    else if (auto i = std::get_if<int64_t>(&v))
        o = {{"type", "integer"}, {"value", QString::number(*i)}};
    else if (auto d = std::get_if<double>(&v))
        o = {{"type", "double"}, {"value", *d}};
    else
        o = {{"type", "string"}, {"value", QString::fromStdString(std::get<std::string>(v))}};
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
    if (type == "double" && v.isDouble() && std::isfinite(v.toDouble())) return v.toDouble();
    if (type == "string" && v.isString()) return v.toString().toStdString();
    return std::nullopt;
}

std::string compactJson(const QJsonValue& v) {
    auto text = QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact).toStdString();
    return text.substr(1, text.size() - 2);
}

QJsonValue parseCompact(const std::string& text) {
    auto doc = QJsonDocument::fromJson(QByteArray::fromStdString("[" + text + "]"));
    return doc.array().at(0);
}

} // namespace

UserDefaults::UserDefaults(std::string path, SystemLog* log, RunLoop* loop)
    : path_(std::move(path)), log_(log), loop_(loop) {
    load();
}

UserDefaults::UserDefaults(std::unique_ptr<DefaultsDomain> domain, SystemLog* log, RunLoop* loop)
    : domain_(std::move(domain)), log_(log), loop_(loop) {
    if (domain_) values_ = domain_->load();
}

UserDefaults::~UserDefaults() {
    if (dirty_) synchronize();
}

void UserDefaults::log(const std::string& line) const {
    if (log_) log_->write(line);
}

void UserDefaults::load() {
    if (path_.empty()) return;
    const QString path = QString::fromStdString(path_);
    if (QFileInfo(path).isDir()) {
        log(format("UserDefaults: %s is a folder, not a file; settings cannot be saved",
                   path_.c_str()));
        return;
    }
    // Never waiting on a FIFO, never reading an endless or huge file whole.
    OutsideFileRules rules;
    rules.maxBytes = kMaxFileBytes;
    const auto file = readOutsideFile(path_, rules);
    using Status = OutsideFile::Status;
    if (file.status == Status::missing) return;
    if (file.status == Status::unreadable) {
        readOnly_ = true;
        log(format("UserDefaults: %s %s; it is left as it is and nothing is written", path_.c_str(),
                   file.problem.c_str()));
        return;
    }
    QJsonParseError err{};
    QJsonDocument doc;
    if (file.ok()) doc = QJsonDocument::fromJson(QByteArray::fromStdString(file.bytes), &err);
    if (!file.ok() || err.error != QJsonParseError::NoError || !doc.isObject()) {
        // Never lose a corrupt store silently: keep it beside the new one. A FIFO, a device or an
        // endless file moves aside as well, so the settings written later land in a plain file.
        const std::string what = file.ok() ? "unreadable defaults file"
                                           : "defaults file " + path_ + " " + file.problem + ";";
        std::string error;
        if (const auto aside = setAsideOutsideFile(path_, "corrupt", error)) {
            log(format("UserDefaults: %s moved to %s", what.c_str(), aside->c_str()));
        } else {
            readOnly_ = true;
            log(format("UserDefaults: %s could not be moved aside (%s); it is left as it is and "
                       "nothing is written",
                       what.c_str(), error.c_str()));
        }
        return;
    }
    auto obj = doc.object();
    for (auto it = obj.begin(); it != obj.end(); ++it) {
        const auto key = it.key().toStdString();
        if (auto v = decode(it.value())) {
            values_[key] = *v;
        } else {
            // Written by another version or by hand: keep it on disk untouched.
            kept_[key] = compactJson(it.value());
            log(format("UserDefaults: value of %s cannot be read; kept as it is", key.c_str()));
        }
    }
}

bool UserDefaults::synchronize() {
    dirty_ = false;
    if (domain_) {
        std::string error;
        if (domain_->save(values_, error)) return true;
        dirty_ = true;
        log(format("UserDefaults: cannot write the preferences: %s", error.c_str()));
        return false;
    }
    if (path_.empty()) return true;
    if (readOnly_) return false;
    QJsonObject obj;
    for (const auto& [k, v] : kept_)
        obj.insert(QString::fromStdString(k), parseCompact(v));
    for (const auto& [k, v] : values_)
        obj.insert(QString::fromStdString(k), encode(v));
    const QString path = QString::fromStdString(path_);
    QDir().mkpath(QFileInfo(path).absolutePath());
    // Never through a link, never into a device or a FIFO put there since the start.
    std::string error;
    const bool ok = platform::writeOutsideFile(
        path_, QJsonDocument(obj).toJson(QJsonDocument::Indented).toStdString(), error, -1,
        durability_);
    if (!ok) {
        dirty_ = true; // the next change tries again
        log(format("UserDefaults: cannot write the preferences: %s", error.c_str()));
    }
    return ok;
}

void UserDefaults::changed(const std::string& key) {
    kept_.erase(key);
    dirty_ = true;
    if (!loop_) {
        synchronize();
        return;
    }
    if (flushQueued_) return;
    flushQueued_ = true;
    std::weak_ptr<int> alive = alive_;
    // A slider drag changes a key sixty times a second: the file is written at most once a
    // second (and when the store goes), each time whole and atomically.
    loop_->asyncAfter(kFlushDelay, [this, alive] {
        if (alive.expired()) return;
        flushQueued_ = false;
        if (dirty_) synchronize();
    });
}

void UserDefaults::store(const std::string& key, Stored value) {
    values_[key] = std::move(value);
    changed(key);
}

template <typename T>
static std::optional<T> typed(const std::map<std::string, UserDefaults::Stored>& m,
                              const std::string& key) {
    auto it = m.find(key);
    if (it == m.end()) return std::nullopt;
    if (auto p = std::get_if<T>(&it->second)) return *p;
    return std::nullopt;
}

// Read as macOS reads a neighbouring type: a number as a Boolean (not 0 is true), a whole
// number from a floating-point one (truncated), "YES"/"true"/"1" as true.
std::optional<bool> UserDefaults::boolValue(const std::string& key) const {
    if (auto b = typed<bool>(values_, key)) return b;
    if (auto i = typed<int64_t>(values_, key)) return *i != 0;
    if (auto d = typed<double>(values_, key)) return *d != 0;
    if (auto text = typed<std::string>(values_, key)) {
        size_t at = text->find_first_not_of(" \t\n");
        if (at == std::string::npos) return false;
        const char c = (*text)[at];
        if (c == 'Y' || c == 'y' || c == 'T' || c == 't') return true;
        if (c == '+' || c == '-') ++at;
        at = text->find_first_not_of('0', at);
        return at != std::string::npos && (*text)[at] >= '1' && (*text)[at] <= '9';
    }
    return std::nullopt;
}
std::optional<int64_t> UserDefaults::integer(const std::string& key) const {
    if (auto i = typed<int64_t>(values_, key)) return i;
    if (auto d = typed<double>(values_, key); d && std::isfinite(*d) && std::fabs(*d) < 9e18)
        return int64_t(*d);
    if (auto b = typed<bool>(values_, key)) return *b ? 1 : 0;
    return std::nullopt;
}
std::optional<double> UserDefaults::doubleValue(const std::string& key) const {
    if (auto d = typed<double>(values_, key)) return d;
    if (auto i = typed<int64_t>(values_, key)) return double(*i);
    if (auto b = typed<bool>(values_, key)) return *b ? 1.0 : 0.0;
    return std::nullopt;
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

void UserDefaults::set(const std::string& key, bool value) {
    store(key, value);
}
void UserDefaults::set(const std::string& key, int64_t value) {
    store(key, value);
}
void UserDefaults::set(const std::string& key, const std::string& value) {
    store(key, value);
}

void UserDefaults::set(const std::string& key, double value) {
    if (!std::isfinite(value)) {
        log(format("UserDefaults: refused a value that is not finite for %s", key.c_str()));
        return;
    }
    store(key, value);
}

void UserDefaults::remove(const std::string& key) {
    const bool had = values_.erase(key) + kept_.erase(key) > 0;
    if (had) changed(key);
}

} // namespace platform
