#include "helper/HelperFileFormat.h"

#include <cctype>
#include <vector>

namespace helper {

namespace {

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
        // No date can be shown for it, and it would never come.
        if (*t > kLatestSchedule) return bad("starts after the year 9999");
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

LimitFile readLimitFile(const SafeDirectory& folder) {
    LimitFile file;
    std::string error;
    const auto text = folder.read("limit.txt", kMaxHelperFileBytes, error);
    if (!text) {
        if (error.empty()) return file;
        file.state = LimitFile::State::refused;
        file.problem = file.seen = error;
        return file;
    }
    file.seen = *text;
    if (trimmed(*text).empty()) {
        file.state = LimitFile::State::blank;
        return file;
    }
    if (const auto value = parseLimit(*text, error)) {
        file.state = LimitFile::State::value;
        file.value = *value;
    } else {
        file.state = LimitFile::State::refused;
        file.problem = error;
    }
    return file;
}

CalibrationFile readCalibrationFile(const SafeDirectory& folder) {
    CalibrationFile file;
    std::string error;
    const auto text = folder.read("calibration.txt", kMaxHelperFileBytes, error);
    if (!text) {
        if (error.empty()) return file;
        file.state = CalibrationFile::State::refused;
        file.problem = file.seen = error;
        return file;
    }
    file.seen = *text;
    if (const auto state = parseCalibration(*text, error)) {
        file.state = CalibrationFile::State::value;
        file.value = *state;
    } else {
        file.state = CalibrationFile::State::refused;
        file.problem = error;
    }
    return file;
}

std::string formatChargingControl(const ChargingControl& control) {
    if (control.available) return "available";
    std::string why;
    for (unsigned char c : control.why)
        why += c >= 0x20 && c < 0x7F ? char(c) : '?';
    return "unavailable:" + why;
}

std::optional<ChargingControl> readChargingControlFile(const SafeDirectory& folder) {
    std::string error;
    const auto raw = folder.read(kChargingControlFileName, kMaxHelperFileBytes, error);
    if (!raw) return std::nullopt;
    const std::string text = trimmed(*raw);
    if (text == "available") return ChargingControl{};
    const std::string prefix = "unavailable:";
    if (text.rfind(prefix, 0) != 0) return std::nullopt;
    ChargingControl control{false, trimmed(text.substr(prefix.size()))};
    for (unsigned char c : control.why)
        if (c < 0x20 || c >= 0x7F) return std::nullopt;
    return control;
}

} // namespace helper
