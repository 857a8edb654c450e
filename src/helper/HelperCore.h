#pragma once
// The charge-limit helper's decisions: from the battery's reading and the two files the user's
// program writes (the limit and the calibration schedule), whether charging is stopped and
// whether the adapter is bypassed so the battery discharges. Plain C++, no Qt; the caller
// supplies the time, the reading and the hardware switch, so it runs the same in virtual time.

#include "helper/FolderAccess.h"
#include "helper/HelperFileFormat.h"
#include "helper/SafeFiles.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace helper {

struct BatteryReading {
    int percent = 100;
    bool adapterConnected = false;
};

// What the helper asks of the charging hardware.
struct ChargeControl {
    bool chargingInhibited = false; // the adapter powers the machine, the battery is not charged
    bool adapterBypassed = false;   // the battery powers the machine although the adapter is in
    bool operator==(const ChargeControl&) const = default;
};

class HelperCore {
  public:
    using Log = std::function<void(const std::string&)>;
    static constexpr int resumeMargin = 3; // at 80 the battery recharges from 77
    static constexpr int calibrationLow = 15;
    static constexpr int64_t week = 604800;

    // root/folder: where limit.txt and calibration.txt live; root is taken as it is, nothing
    // beneath it is followed through a link. access, when given, makes the folder ready for the
    // user's program at every tick and writes the helper's own changes.
    HelperCore(std::string root, std::string folder, Log log,
               std::unique_ptr<FolderAccess> access = nullptr);

    // Reads both files, decides, and returns what the hardware must do now. Called on the
    // helper's own schedule, at start and after a wake (it always states the whole decision).
    ChargeControl tick(int64_t now, const BatteryReading& reading);

    // Makes the folder ready for the program without deciding anything: a machine whose charging
    // the helper cannot control still gets its files, so the card can say why.
    void prepareOnly() { prepareFolder(); }
    // Says in the helper's own file whether charging is controlled here (why empty) or not and
    // why, for the program's card; written only when it changes.
    void publishChargingControl(const std::string& why);

    int limit() const { return limit_; }
    const CalibrationState& calibration() const { return calibration_; }

  private:
    void readLimit(const SafeDirectory& dir);
    void readCalibration(const SafeDirectory& dir);
    void writeCalibration(const SafeDirectory& dir, const CalibrationState& state);
    void writeLimit(const SafeDirectory& dir, int limit);
    bool replace(const SafeDirectory& dir, const char* name, const std::string& text);
    void prepareFolder();
    // The one way to the folder: the access's checked walk when there is one.
    SafeDirectory folder() const;

    std::string root_, folder_;
    Log log_;
    std::unique_ptr<FolderAccess> access_;
    std::string lastAccessError_;
    std::string lastPublishError_;
    int limit_ = 0; // the last good limit
    CalibrationState calibration_;
    std::string lastLimitSeen_, lastCalibrationSeen_;
    bool blankOnce_ = false;     // the limit file was blank at the last tick
    bool folderMissing_ = false; // told once in the log
    bool inhibited_ = false;     // between limit - margin and limit the last decision holds
};

} // namespace helper
