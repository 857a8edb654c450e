#include "helper/HelperCore.h"

#include <cctype>
#include <vector>

namespace helper {

namespace {

constexpr size_t kMaxFileBytes = 64;

std::string trimmed(const std::string& text) {
    size_t b = 0, e = text.size();
    while (b < e && std::isspace(static_cast<unsigned char>(text[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(text[e - 1])))
        --e;
    return text.substr(b, e - b);
}

// Plain decimal digits, at most maxDigits of them.
std::optional<int64_t> decimal(const std::string& text, size_t maxDigits) {
    if (text.empty() || text.size() > maxDigits) return std::nullopt;
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::vector<std::string> fields(const std::string& text) {
    std::vector<std::string> out(1);
    for (char c : text)
        if (c == ':')
            out.emplace_back();
        else
            out.back() += c;
    return out;
}

// What a refused file is told by: its size, never its content (it may be a link to a file only
// root could read).
std::string sized(const std::string& text) {
    return std::to_string(text.size()) + (text.size() == 1 ? " byte" : " bytes");
}

} // namespace

std::optional<int> parseLimit(const std::string& text, std::string& error) {
    const auto value = decimal(trimmed(text), 3);
    if (!value || (*value != 0 && (*value < 50 || *value > 100))) {
        error = "limit.txt (" + sized(text) + ") is not 0 or a whole number from 50 to 100";
        return std::nullopt;
    }
    return int(*value);
}

std::optional<CalibrationState> parseCalibration(const std::string& raw, std::string& error) {
    using Kind = CalibrationState::Kind;
    const std::string text = trimmed(raw);
    CalibrationState s;
    if (text.empty() || text == "inactive") return s;
    if (text == "cancel") {
        s.kind = Kind::cancel;
        return s;
    }
    const auto parts = fields(text);
    auto bad = [&](const std::string& why) -> std::optional<CalibrationState> {
        error = "calibration.txt (" + sized(raw) + ") " + why;
        return std::nullopt;
    };
    // The limit and interval after the first field (after the time for a schedule).
    auto limitAndWeeks = [&](size_t at) -> bool {
        if (parts.size() != at + 2) return false;
        auto l = decimal(parts[at], 3);
        auto w = decimal(parts[at + 1], 1);
        // 0: the limit was off when the calibration was scheduled, and stays off after it.
        if (!l || (*l != 0 && (*l < 50 || *l > 100)) || !w || *w > 4) return false;
        s.limit = int(*l);
        s.weeks = int(*w);
        return true;
    };
    if (parts[0] == "scheduled") {
        auto t = decimal(parts.size() > 1 ? parts[1] : "", 12);
        if (!t) return bad("the start time is not a whole number of seconds");
        s.startTime = *t;
        if (!limitAndWeeks(2)) return bad("needs a limit of 0 or from 50 to 100 and 0 to 4 weeks");
        s.kind = Kind::scheduled;
        return s;
    }
    if (parts[0] == "charging_100" || parts[0] == "discharging_15") {
        s.kind = parts[0] == "charging_100" ? Kind::charging : Kind::discharging;
        // Written by the helper itself; a bare prefix (another writer) keeps the defaults.
        if (parts.size() == 2 && parts[1].empty()) return s;
        if (!limitAndWeeks(1)) return bad("needs a limit of 0 or from 50 to 100 and 0 to 4 weeks");
        return s;
    }
    return bad("is no calibration state");
}

std::string formatCalibration(const CalibrationState& s) {
    using Kind = CalibrationState::Kind;
    const std::string tail = std::to_string(s.limit) + ":" + std::to_string(s.weeks);
    switch (s.kind) {
    case Kind::scheduled:
        return "scheduled:" + std::to_string(s.startTime) + ":" + tail;
    case Kind::charging:
        return "charging_100:" + tail;
    case Kind::discharging:
        return "discharging_15:" + tail;
    case Kind::cancel:
        return "cancel";
    case Kind::inactive:
        break;
    }
    return "inactive";
}

HelperCore::HelperCore(std::string directory, Log log, std::unique_ptr<FolderAccess> access)
    : directory_(std::move(directory)), log_(std::move(log)), access_(std::move(access)) {}

void HelperCore::prepareFolder() {
    if (!access_) return;
    std::string error;
    if (access_->prepare(error)) {
        lastAccessError_.clear();
    } else if (error != lastAccessError_) {
        log_("nightlid-helper: " + error);
        lastAccessError_ = error;
    }
}

void HelperCore::readLimit(const SafeDirectory& dir) {
    // A file that cannot be used means no limit, as the program's card shows it; only an empty
    // file (the program caught rewriting it in place) keeps the last limit.
    std::string error;
    auto text = dir.read("limit.txt", kMaxFileBytes, error);
    if (text && trimmed(*text).empty()) return;
    std::optional<int> value;
    if (text) value = parseLimit(*text, error);
    if (!value) {
        const std::string seen = text ? *text : error;
        // Logged once per bad content, not on every tick.
        if (!error.empty() && seen != lastLimitText_)
            log_("nightlid-helper: " + error + "; no limit");
        lastLimitText_ = seen;
        limit_ = 0;
        return;
    }
    if (*value != limit_) log_("nightlid-helper: limit " + std::to_string(*value));
    limit_ = *value;
    lastLimitText_ = *text;
}

void HelperCore::readCalibration(const SafeDirectory& dir) {
    std::string error;
    auto text = dir.read("calibration.txt", kMaxFileBytes, error);
    if (!text) {
        if (!error.empty() && error != lastCalibrationText_)
            log_("nightlid-helper: " + error + "; calibration ignored");
        lastCalibrationText_ = error;
        if (error.empty()) calibration_ = {};
        return;
    }
    auto state = parseCalibration(*text, error);
    if (!state) {
        if (*text != lastCalibrationText_)
            log_("nightlid-helper: " + error + "; calibration ignored");
        lastCalibrationText_ = *text;
        return;
    }
    lastCalibrationText_ = *text;
    calibration_ = *state;
}

void HelperCore::writeCalibration(const SafeDirectory& dir, const CalibrationState& state) {
    std::string error;
    const std::string text = formatCalibration(state);
    if (!dir.write("calibration.txt", text, error))
        log_("nightlid-helper: " + error);
    else
        log_("nightlid-helper: calibration " + text);
    prepareFolder(); // the new file is root's: back to the user
    calibration_ = state;
    lastCalibrationText_ = text;
}

void HelperCore::writeLimit(const SafeDirectory& dir, int limit) {
    std::string error;
    if (!dir.write("limit.txt", std::to_string(limit), error)) log_("nightlid-helper: " + error);
    prepareFolder();
    limit_ = limit;
    lastLimitText_ = std::to_string(limit);
}

ChargeControl HelperCore::tick(int64_t now, const BatteryReading& reading) {
    using Kind = CalibrationState::Kind;
    prepareFolder();
    const SafeDirectory dir(directory_);
    if (dir.isOpen()) {
        folderMissing_ = false;
        readLimit(dir);
        readCalibration(dir);
    } else {
        // No folder, no limit: the system charges as it would without the helper.
        if (!folderMissing_ &&
            (limit_ != 0 || calibration_.kind != CalibrationState::Kind::inactive))
            log_("nightlid-helper: " + directory_ + " cannot be opened; no limit");
        folderMissing_ = true;
        limit_ = 0;
        calibration_ = {};
        lastLimitText_.clear();
        lastCalibrationText_.clear();
    }
    // The calibration's phases, in order; each step is written before it is acted on.
    switch (calibration_.kind) {
    case Kind::cancel:
        writeCalibration(dir, {});
        break;
    case Kind::scheduled:
        if (now >= calibration_.startTime) {
            auto next = calibration_;
            next.kind = Kind::charging;
            writeCalibration(dir, next);
        }
        break;
    case Kind::charging:
        if (reading.percent >= 100) {
            auto next = calibration_;
            next.kind = Kind::discharging;
            writeCalibration(dir, next);
        }
        break;
    case Kind::discharging:
        if (reading.percent <= calibrationLow) {
            // Back to the limit it was scheduled with, then the next run or none.
            writeLimit(dir, calibration_.limit);
            CalibrationState next;
            if (calibration_.weeks > 0) {
                next = calibration_;
                next.kind = Kind::scheduled;
                next.startTime = now + calibration_.weeks * week;
            }
            writeCalibration(dir, next);
            inhibited_ = false;
        }
        break;
    case Kind::inactive:
        break;
    }

    if (calibration_.kind == Kind::charging) return {false, false};
    if (calibration_.kind == Kind::discharging) return {true, true};
    if (limit_ <= 0) {
        inhibited_ = false;
        return {false, false};
    }
    if (reading.percent >= limit_)
        inhibited_ = true;
    else if (reading.percent <= limit_ - resumeMargin)
        inhibited_ = false;
    return {inhibited_, false};
}

} // namespace helper
