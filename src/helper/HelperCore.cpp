#include "helper/HelperCore.h"

namespace helper {

HelperCore::HelperCore(std::string root, std::string folder, Log log,
                       std::unique_ptr<FolderAccess> access)
    : root_(std::move(root)), folder_(std::move(folder)), log_(std::move(log)),
      access_(std::move(access)) {}

void HelperCore::prepareFolder() {
    if (!access_) return;
    std::string error;
    const bool ready = access_->prepare(
        error, [this](const std::string& note) { log_("nightlid-helper: " + note); });
    if (ready) {
        lastAccessError_.clear();
    } else if (error != lastAccessError_) {
        log_("nightlid-helper: " + error);
        lastAccessError_ = error;
    }
}

SafeDirectory HelperCore::folder() const {
    if (!access_) return SafeDirectory(root_, folder_);
    std::string error;
    const int fd = access_->open(error);
    return SafeDirectory(fd, error);
}

void HelperCore::publishChargingControl(const std::string& why) {
    const SafeDirectory dir = folder();
    if (!dir.isOpen()) return;
    const std::string text = formatChargingControl({why.empty(), why});
    std::string error;
    // Read back every time: a file someone removed or changed is written again.
    if (dir.read(kChargingControlFileName, kMaxHelperFileBytes, error) == text) return;
    if (dir.write(kChargingControlFileName, text, error)) {
        lastPublishError_.clear();
    } else if (error != lastPublishError_) {
        log_("nightlid-helper: " + error);
        lastPublishError_ = error;
    }
}

void HelperCore::readLimit(const SafeDirectory& dir) {
    using State = LimitFile::State;
    // What the program's card shows for the same file: missing, blank or refused is no limit.
    const auto file = readLimitFile(dir);
    if (file.state == State::blank && !blankOnce_) {
        // The program caught rewriting it in place: the limit holds for this one tick.
        blankOnce_ = true;
        return;
    }
    blankOnce_ = file.state == State::blank;
    if (file.state == State::value) {
        if (file.value != limit_) log_("nightlid-helper: limit " + std::to_string(file.value));
        limit_ = file.value;
    } else {
        // Logged once per bad content, not on every tick.
        if (file.seen != lastLimitSeen_) {
            if (file.state == State::refused)
                log_("nightlid-helper: " + file.problem + "; no limit");
            else if (file.state == State::blank && limit_ != 0)
                log_("nightlid-helper: limit.txt stayed empty; no limit");
        }
        limit_ = 0;
    }
    lastLimitSeen_ = file.seen;
}

void HelperCore::readCalibration(const SafeDirectory& dir) {
    using State = CalibrationFile::State;
    const auto file = readCalibrationFile(dir);
    if (file.state == State::refused && file.seen != lastCalibrationSeen_)
        log_("nightlid-helper: " + file.problem +
             (calibration_.running() ? "; the calibration run ends, charging as the limit says"
                                     : "; calibration ignored"));
    lastCalibrationSeen_ = file.seen;
    // A file that cannot be used ends any phase: a discharge never runs on a file the card
    // cannot show.
    calibration_ = file.state == State::value ? file.value : CalibrationState{};
}

bool HelperCore::replace(const SafeDirectory& dir, const char* name, const std::string& text) {
    std::string error;
    // Written straight to the user it belongs to, never a root file handed over later.
    const bool ok = access_ ? access_->replace(name, text, error) : dir.write(name, text, error);
    if (!ok) log_("nightlid-helper: " + error);
    return ok;
}

void HelperCore::writeCalibration(const SafeDirectory& dir, const CalibrationState& state) {
    const std::string text = formatCalibration(state);
    if (replace(dir, kCalibrationFileName, text)) log_("nightlid-helper: calibration " + text);
    calibration_ = state;
    lastCalibrationSeen_ = text;
}

void HelperCore::writeLimit(const SafeDirectory& dir, int limit) {
    replace(dir, kLimitFileName, std::to_string(limit));
    limit_ = limit;
    lastLimitSeen_ = std::to_string(limit);
    blankOnce_ = false;
}

ChargeControl HelperCore::tick(int64_t now, const BatteryReading& reading) {
    using Kind = CalibrationState::Kind;
    prepareFolder();
    const SafeDirectory dir = folder();
    if (dir.isOpen()) {
        folderMissing_ = false;
        readLimit(dir);
        readCalibration(dir);
    } else {
        // No folder, no limit: the system charges as it would without the helper.
        if (!folderMissing_ &&
            (limit_ != 0 || calibration_.kind != CalibrationState::Kind::inactive))
            log_("nightlid-helper: " + dir.openError() + "; no limit");
        folderMissing_ = true;
        limit_ = 0;
        calibration_ = {};
        lastLimitSeen_.clear();
        lastCalibrationSeen_.clear();
        blankOnce_ = false;
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
