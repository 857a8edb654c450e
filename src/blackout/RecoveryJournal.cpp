#include "blackout/RecoveryJournal.h"

#include "platform/OutsideFiles.h"
#include "platform/SystemLog.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr float kNearZero = 0.001f;

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

// An array member that is absent reads as empty; anything else that is not an array is damage.
bool arrayMember(const QJsonObject& o, const char* key, QJsonArray& out) {
    const auto v = o.value(key);
    if (v.isUndefined()) return true;
    if (!v.isArray()) return false;
    out = v.toArray();
    return true;
}

} // namespace

RecoveryJournal::RecoveryJournal(std::string path, platform::SystemLog* log)
    : path_(std::move(path)), log_(log) {
    load();
}

void RecoveryJournal::load() {
    loadJournal();
    if (!keepOut_) takeBackSetAside();
}

void RecoveryJournal::loadJournal() {
    if (QFileInfo(QString::fromStdString(path_)).isDir()) {
        damaged_ = true;
        if (log_)
            log_->write(platform::format("Recovery: journal %s is not a regular file; it is left "
                                         "as it is",
                                         path_.c_str()));
        return;
    }
    // Never waiting on a FIFO or a device, never reading a huge file whole.
    platform::OutsideFileRules rules;
    rules.maxBytes = size_t(maxFileBytes);
    const auto file = platform::readOutsideFile(path_, rules);
    using Status = platform::OutsideFile::Status;
    if (file.status == Status::missing) return;
    if (file.status == Status::refused || file.status == Status::timedOut) {
        // Not a journal, and in the way of the next one: moved aside as it is.
        damaged_ = true;
        std::string error;
        const auto aside = platform::setAsideOutsideFile(path_, "damaged", error);
        if (log_)
            log_->write(aside
                            ? platform::format("Recovery: journal %s %s; it is moved to %s",
                                               path_.c_str(), file.problem.c_str(), aside->c_str())
                            : platform::format("Recovery: journal %s %s; it is left as it is "
                                               "(%s)",
                                               path_.c_str(), file.problem.c_str(), error.c_str()));
        return;
    }
    if (file.status == Status::tooLarge) {
        keepDamagedCopy("is too large");
        write();
        return;
    }
    if (file.status == Status::unreadable) {
        // Its records are someone's displays' brightness: moved aside unread, as it is, for a
        // run that may read it; never removed or written over.
        damaged_ = true;
        std::string error;
        const auto aside = platform::setAsideOutsideFile(path_, "unreadable", error);
        keepOut_ = !aside;
        if (log_)
            log_->write(aside
                            ? platform::format("Recovery: cannot read journal %s: %s; it is "
                                               "moved to %s as it is",
                                               path_.c_str(), file.problem.c_str(), aside->c_str())
                            : platform::format("Recovery: cannot read journal %s: %s; it is "
                                               "left as it is and nothing is recorded (%s)",
                                               path_.c_str(), file.problem.c_str(), error.c_str()));
        return;
    }
    if (!parse(QByteArray::fromStdString(file.bytes))) {
        keepDamagedCopy("is damaged");
        // What could be read is written back whole.
        write();
    }
}

void RecoveryJournal::takeBackSetAside() {
    const QFileInfo journal(QString::fromStdString(path_));
    const auto asides = QDir(journal.absolutePath())
                            .entryInfoList({journal.fileName() + ".unreadable-*"},
                                           QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const auto& aside : asides) {
        const std::string asidePath = aside.absoluteFilePath().toStdString();
        platform::OutsideFileRules rules;
        rules.maxBytes = size_t(maxFileBytes);
        // A link set aside as it was stays a link: only a journal file of its own is taken back.
        rules.followLinks = false;
        const auto file = platform::readOutsideFile(asidePath, rules);
        if (!file.ok()) continue; // still not ours to read: kept for a run that may
        // Read on its own, then only what the journal does not hold already is added.
        auto current = std::move(displays_);
        auto currentKeyboards = std::move(keyboards_);
        displays_.clear();
        keyboards_.clear();
        const bool whole = parse(QByteArray::fromStdString(file.bytes));
        auto found = std::move(displays_);
        auto foundKeyboards = std::move(keyboards_);
        displays_ = std::move(current);
        keyboards_ = std::move(currentKeyboards);
        if (!whole) {
            if (log_)
                log_->write(platform::format("Recovery: journal %s can be read now but is "
                                             "damaged; it is left as it is",
                                             asidePath.c_str()));
            continue;
        }
        std::set<platform::DisplayID> held;
        for (const auto& d : displays_)
            held.insert(d.id);
        for (const auto& d : found)
            if (!held.count(d.id) && displays_.size() < maxEntries) displays_.push_back(d);
        for (const auto& [id, level] : foundKeyboards)
            keyboards_.emplace(id, level);
        write();
        if (log_)
            log_->write(platform::format("Recovery: journal %s can be read now; its records are "
                                         "taken back",
                                         asidePath.c_str()));
        ::unlink(asidePath.c_str());
    }
}

bool RecoveryJournal::parse(const QByteArray& bytes) {
    QJsonParseError error{};
    const auto doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject()) return false;
    const auto top = doc.object();
    QJsonArray displays, keyboards;
    bool whole = arrayMember(top, "displays", displays);
    whole = arrayMember(top, "keyboards", keyboards) && whole;
    if (size_t(displays.size()) + size_t(keyboards.size()) > maxEntries) whole = false;
    for (qsizetype i = 0; i < displays.size() && displays_.size() < maxEntries; ++i) {
        const auto o = displays.at(i).toObject();
        const auto id = wholeFromString(o.value("id"), 0xFFFFFFFFu);
        const auto brightness = fraction(o.value("brightness"));
        const auto reason = o.value("reason").toString().toStdString();
        if (!id || *id == 0 || !brightness || reason.empty() || reason.size() > 32) {
            whole = false;
            continue;
        }
        displays_.push_back(
            {platform::DisplayID(*id), o.value("name").toString().toStdString(),
             o.value("builtIn").toBool(), *brightness,
             reason == olderRestoreReason ? restoreReason : reason,
             o.value("identity").toString().left(256).toStdString(),
             o.value("answered").toBool(true), std::clamp(o.value("maximum").toInt(0), 0, 65535),
             o.value("readable").toBool(false), o.value("ambiguous").toBool(false),
             platform::DisplayID(wholeFromString(o.value("home"), 0xFFFFFFFFu).value_or(0))});
    }
    for (qsizetype i = 0; i < keyboards.size() && keyboards_.size() < maxEntries; ++i) {
        const auto o = keyboards.at(i).toObject();
        const auto id = wholeFromString(o.value("id"), UINT64_MAX);
        const auto level = fraction(o.value("level"));
        if (!id || !level) {
            whole = false;
            continue;
        }
        keyboards_[*id] = *level;
    }
    return whole;
}

void RecoveryJournal::keepDamagedCopy(const std::string& why) {
    damaged_ = true;
    // Keep the original for a person to read.
    const QString aside = QString::fromStdString(path_) + ".damaged-" +
                          QDateTime::currentDateTimeUtc().toString("yyyyMMddHHmmsszzz");
    // Its beginning only: a huge file is not copied whole.
    std::string error;
    const bool copied = platform::copyOutsideFilePrefix(path_, aside.toStdString(),
                                                        platform::kSetAsideCopyBytes, error);
    if (!log_) return;
    if (copied)
        log_->write(platform::format("Recovery: journal %s %s; a copy is kept as %s", path_.c_str(),
                                     why.c_str(), aside.toStdString().c_str()));
    else
        log_->write(platform::format("Recovery: journal %s %s; no copy could be kept",
                                     path_.c_str(), why.c_str()));
}

void RecoveryJournal::write() {
    if (keepOut_) return;
    struct stat st {};
    const bool present = ::lstat(path_.c_str(), &st) == 0;
    if (present && !S_ISREG(st.st_mode)) {
        if (log_)
            log_->write(
                platform::format("Recovery: cannot write %s: not a regular file", path_.c_str()));
        return;
    }
    if (empty()) {
        if (present && ::unlink(path_.c_str()) != 0 && log_)
            log_->write(platform::format("Recovery: cannot remove %s", path_.c_str()));
        return;
    }
    QJsonArray displays;
    for (const auto& d : displays_)
        displays.append(QJsonObject{{"id", QString::number(d.id)},
                                    {"name", QString::fromStdString(d.name)},
                                    {"builtIn", d.builtIn},
                                    {"brightness", double(d.brightness)},
                                    {"reason", QString::fromStdString(d.reason)},
                                    {"identity", QString::fromStdString(d.identity)},
                                    {"answered", d.answered},
                                    {"maximum", d.maximum},
                                    {"readable", d.readable},
                                    {"ambiguous", d.ambiguous},
                                    {"home", QString::number(d.home)}});
    QJsonArray keyboards;
    for (const auto& [id, level] : keyboards_)
        keyboards.append(QJsonObject{{"id", QString::number(id)}, {"level", double(level)}});
    QDir().mkpath(QFileInfo(QString::fromStdString(path_)).absolutePath());
    std::string error;
    if (!platform::writeOutsideFile(
            path_,
            QJsonDocument(QJsonObject{{"displays", displays}, {"keyboards", keyboards}})
                .toJson(QJsonDocument::Compact)
                .toStdString(),
            error) &&
        log_)
        log_->write(platform::format("Recovery: cannot write the journal: %s", error.c_str()));
}

float RecoveryJournal::recordDisplay(const DarkDisplay& entry) {
    const auto first = preDarkBrightness(entry.id);
    if (holds(entry.id, entry.reason)) return *first;
    DarkDisplay kept = entry;
    kept.brightness =
        std::isfinite(kept.brightness) ? std::clamp(kept.brightness, 0.0f, 1.0f) : 0.5f;
    if (kept.identity.empty()) kept.identity = identity(entry.id);
    // Joining a record keeps what it says: taken or not, its monitor's link, its twins.
    if (auto earlier = record(entry.id)) {
        kept.answered = mayHaveTakenDark(entry.id);
        if (kept.maximum == 0) kept.maximum = earlier->maximum;
        kept.readable = kept.readable || earlier->readable;
        kept.ambiguous = kept.ambiguous || earlier->ambiguous;
        if (!earlier->identity.empty()) kept.identity = earlier->identity;
    }
    if (first && *first > kNearZero) {
        kept.brightness = *first;
    } else if (first) {
        // A record of nothing (a panel dimmed while at 0) gives way to a value that lights it.
        kept.brightness = std::max(*first, kept.brightness);
        for (auto& d : displays_)
            if (d.id == entry.id) d.brightness = kept.brightness;
    }
    // A display owed its light that is darkened again is held again, from the same brightness.
    std::erase_if(displays_, [&](const DarkDisplay& d) {
        return d.id == entry.id && d.reason == restoreReason;
    });
    displays_.push_back(kept);
    write();
    return kept.brightness;
}

std::optional<float> RecoveryJournal::releaseDisplay(platform::DisplayID id,
                                                     const std::string& reason) {
    const auto brightness = preDarkBrightness(id);
    if (!holds(id, reason)) return isHeld(id) ? std::nullopt : brightness;
    DarkDisplay owed;
    for (const auto& d : displays_)
        if (d.id == id && d.reason == reason) owed = d;
    owed.answered = mayHaveTakenDark(id);
    std::erase_if(displays_,
                  [&](const DarkDisplay& d) { return d.id == id && d.reason == reason; });
    if (isHeld(id)) {
        write();
        return std::nullopt;
    }
    if (!owesLight(id)) {
        owed.reason = restoreReason;
        owed.brightness = *brightness;
        displays_.push_back(owed);
    }
    write();
    return brightness;
}

void RecoveryJournal::releaseAll(platform::DisplayID id) {
    const auto brightness = preDarkBrightness(id);
    if (!brightness || (owesLight(id) && !isHeld(id))) return;
    DarkDisplay owed;
    for (const auto& d : displays_)
        if (d.id == id) owed = d;
    owed.answered = mayHaveTakenDark(id);
    std::erase_if(displays_, [&](const DarkDisplay& d) { return d.id == id; });
    owed.reason = restoreReason;
    owed.brightness = *brightness;
    displays_.push_back(owed);
    write();
}

void RecoveryJournal::owe(const DarkDisplay& entry) {
    if (isHeld(entry.id)) return;
    const float brightness =
        std::isfinite(entry.brightness) ? std::clamp(entry.brightness, 0.0f, 1.0f) : 0.5f;
    for (auto& d : displays_)
        if (d.id == entry.id && d.reason == restoreReason) {
            if (d.brightness == brightness) return;
            d.brightness = brightness;
            write();
            return;
        }
    DarkDisplay owed = entry;
    owed.reason = restoreReason;
    owed.brightness = brightness;
    displays_.push_back(owed);
    write();
}

bool RecoveryJournal::landed(platform::DisplayID id) {
    if (isHeld(id)) return false;
    if (std::erase_if(displays_, [&](const DarkDisplay& d) {
            return d.id == id && d.reason == restoreReason;
        }) == 0)
        return false;
    write();
    return true;
}

void RecoveryJournal::moveDisplay(platform::DisplayID from, platform::DisplayID to,
                                  platform::DisplayID home) {
    if (from == to || hasRecord(to)) return;
    bool moved = false;
    for (auto& d : displays_)
        if (d.id == from) {
            d.id = to;
            d.home = home;
            moved = true;
        }
    if (moved) write();
}

void RecoveryJournal::swapDisplays(platform::DisplayID a, platform::DisplayID b) {
    if (a == b) return;
    bool changed = false;
    for (auto& d : displays_)
        if (d.id == a || d.id == b) {
            d.id = d.id == a ? b : a;
            changed = true;
        }
    if (changed) write();
}

std::optional<float> RecoveryJournal::preDarkBrightness(platform::DisplayID id) const {
    // Entries of one display share their brightness; an older journal may not, and the
    // brightest is the one that surely lights it.
    std::optional<float> out;
    for (const auto& d : displays_)
        if (d.id == id) out = std::max(out.value_or(0.0f), d.brightness);
    return out;
}

void RecoveryJournal::markAnswered(platform::DisplayID id) {
    bool changed = false;
    for (auto& d : displays_)
        if (d.id == id && !d.answered) d.answered = changed = true;
    if (changed) write();
}

void RecoveryJournal::learnLink(platform::DisplayID id, int maximum, bool readable) {
    bool changed = false;
    for (auto& d : displays_) {
        if (d.id != id) continue;
        if (maximum > 0 && d.maximum != maximum) d.maximum = maximum, changed = true;
        if (readable && !d.readable) d.readable = changed = true;
    }
    if (changed) write();
}

std::optional<RecoveryJournal::DarkDisplay> RecoveryJournal::record(platform::DisplayID id) const {
    for (const auto& d : displays_)
        if (d.id == id) return d;
    return std::nullopt;
}

bool RecoveryJournal::mayHaveTakenDark(platform::DisplayID id) const {
    return std::any_of(displays_.begin(), displays_.end(),
                       [&](const DarkDisplay& d) { return d.id == id && d.answered; });
}

std::string RecoveryJournal::identity(platform::DisplayID id) const {
    for (const auto& d : displays_)
        if (d.id == id && !d.identity.empty()) return d.identity;
    return {};
}

bool RecoveryJournal::holds(platform::DisplayID id, const std::string& reason) const {
    return std::any_of(displays_.begin(), displays_.end(),
                       [&](const DarkDisplay& d) { return d.id == id && d.reason == reason; });
}

bool RecoveryJournal::isHeld(platform::DisplayID id) const {
    return std::any_of(displays_.begin(), displays_.end(), [&](const DarkDisplay& d) {
        return d.id == id && d.reason != restoreReason;
    });
}

bool RecoveryJournal::hasRecord(platform::DisplayID id) const {
    return std::any_of(displays_.begin(), displays_.end(),
                       [&](const DarkDisplay& d) { return d.id == id; });
}

bool RecoveryJournal::owesLight(platform::DisplayID id) const {
    return holds(id, restoreReason);
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
