#pragma once
// The limit and calibration files as both their readers see them: the helper, which enforces
// them, and the program, whose card shows them. One reader and one parser, so for every content
// the card shows what the helper does. Plain C++.

#include "helper/SafeFiles.h"

#include <cstdint>
#include <optional>
#include <string>

namespace helper {

// A calibration line: "scheduled:T:L:W", "charging_100:L:W", "discharging_15:L:W", "cancel",
// "inactive". Absent when the text is none of these.
struct CalibrationState {
    enum class Kind { inactive, scheduled, charging, discharging, cancel } kind = Kind::inactive;
    int64_t startTime = 0; // scheduled: seconds since 1970
    int limit = 80;        // the limit to return to
    int weeks = 0;         // 0: a single run
    bool running() const { return kind == Kind::charging || kind == Kind::discharging; }
};
// The last second a date can be written for (the end of the year 9999).
inline constexpr int64_t kLatestSchedule = 253402300799;
std::optional<CalibrationState> parseCalibration(const std::string& text, std::string& error);
std::string formatCalibration(const CalibrationState& state);
// The limit file's text: 0 or 50..100, in plain decimal digits (surrounding white space
// allowed); absent otherwise.
std::optional<int> parseLimit(const std::string& text, std::string& error);

// Neither side reads more of either file.
inline constexpr size_t kMaxHelperFileBytes = 4096;

// What the limit file says.
struct LimitFile {
    enum class State {
        missing, // no file: no limit
        blank,   // empty or white space: being rewritten in place, or no limit
        value,   // value holds 0 or 50..100
        refused, // not usable (problem says why): no limit
    } state = State::missing;
    int value = 0;
    std::string problem;
    // What was read, or the problem: one refusal told from the next.
    std::string seen;
};
LimitFile readLimitFile(const SafeDirectory& folder);

// What the calibration file says.
struct CalibrationFile {
    enum class State {
        missing, // no file: no calibration
        value,   // value holds the state
        refused, // not usable (problem says why): no calibration, and no phase runs
    } state = State::missing;
    CalibrationState value;
    std::string problem;
    std::string seen;
};
CalibrationFile readCalibrationFile(const SafeDirectory& folder);

// The helper's own third file, root's and only read by the program: whether it can control this
// machine's charging at all ("available"), or not and why ("unavailable:" and the reason), so the
// card never promises a limit that nothing enforces.
inline constexpr const char* kChargingControlFileName = "charging-control.txt";
struct ChargingControl {
    bool available = true;
    std::string why; // printable ASCII, one line
};
std::string formatChargingControl(const ChargingControl& control);
// None for a missing or unreadable file, or one that is neither form: nothing is said then.
std::optional<ChargingControl> readChargingControlFile(const SafeDirectory& folder);

} // namespace helper
