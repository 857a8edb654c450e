#include "app/BlackoutController.h"
#include "appkit/Alert.h"
#include "appkit/Button.h"
#include "appkit/Slider.h"
#include "platform/Platform.h"
#include "platform/SharedFiles.h"
#include "platform/SystemLocale.h"
#include "platform/SystemLog.h"
#include "platform/SystemPaths.h"
#include "power/HelperFiles.h"

#include <QDateTime>
#include <QTimeZone>

#include <cmath>
#include <cstdio>

namespace {

using power::kCalibrationFile;
constexpr int64_t kWeek = 604800;

} // namespace

helper::CalibrationFile BlackoutController::readCalibrationState() const {
    return power::readCalibrationFile(calibrationFileRefusal);
}

bool BlackoutController::writeCalibrationState(const std::string& line) {
    std::string error;
    if (platform::current().sharedFiles->write(kCalibrationFile, line, error)) return true;
    platform::logf("Nightlid: cannot write %s: %s", kCalibrationFile, error.c_str());
    return false;
}

void BlackoutController::showCalibrationNotSaved() {
    // Without the helper's folder nobody would run it: said rather than shown as scheduled.
    showAlert(t("배터리 보정을 저장하지 못했습니다", "Calibration Not Saved"),
              t("보정 파일을 쓸 수 없습니다. 충전 제한을 켜서 권한 대행 도구를 설치한 뒤 다시 "
                "시도해 주세요.",
                "The calibration file could not be written. Turn on the charge limit to install "
                "the helper, then try again."));
}

BlackoutController::CalibrationCardText
BlackoutController::calibrationCardText(const helper::CalibrationFile& file) const {
    using Kind = helper::CalibrationState::Kind;
    CalibrationCardText out{t("배터리 보정: 미실행", "Battery Calibration: Inactive"),
                            t("배터리 보정 예약", "Schedule Calibration"),
                            false,
                            {}};
    if (file.state == helper::CalibrationFile::State::refused) {
        // The helper runs nothing on a file it refuses; the card says so, and why.
        out.line = t("배터리 보정: 미실행 (보정 파일을 사용할 수 없음)",
                     "Battery Calibration: Inactive (calibration file unusable)");
        out.problem = file.problem;
        return out;
    }
    if (file.state != helper::CalibrationFile::State::value) return out;
    const auto& state = file.value;
    if (state.kind == Kind::charging)
        return {
            t("배터리 보정: 1단계 (100% 충전 중...)", "Calibration: Phase 1 (Charging to 100%)"),
            t("보정 취소", "Cancel Calibration"),
            true,
            {}};
    if (state.kind == Kind::discharging)
        return {
            t("배터리 보정: 2단계 (15% 방전 중...)", "Calibration: Phase 2 (Discharging to 15%)"),
            t("보정 취소", "Cancel Calibration"),
            true,
            {}};
    if (state.kind != Kind::scheduled) return out;
    const int offset = platform::current().locale->secondsFromGMT();
    const QDateTime local =
        QDateTime::fromSecsSinceEpoch(qint64(state.startTime) + offset, QTimeZone::utc());
    const std::string date = local.toString("yyyy.M.d").toStdString();
    out.line = state.weeks > 0 ? t("배터리 보정: 정기 보정 예약중(" + date + ")",
                                   "Calibration: Recurring Scheduled (" + date + ")")
                               : t("배터리 보정: 예약중(" + date + ")",
                                   "Calibration: Scheduled (" + date + ")");
    out.button = t("예약 취소", "Cancel Schedule");
    return out;
}

void BlackoutController::calibrationButtonClicked() {
    const auto file = readCalibrationState();
    auto& log = *platform::current().log;
    if (file.state == helper::CalibrationFile::State::value &&
        (file.value.running() || file.value.kind == helper::CalibrationState::Kind::scheduled)) {
        if (!writeCalibrationState("cancel")) {
            showCalibrationNotSaved();
            updatePowerStatusUI();
            return;
        }
        log.write("Nightlid: User cancelled battery calibration schedule/run via UI.");
        updatePowerStatusUI();
        return;
    }
    appkit::Alert alert;
    alert.messageText = t("배터리 보정 예약", "Schedule Battery Calibration");
    alert.informativeText = t(
        "배터리 센서 오차 보정을 위해 주기적으로 100% 완충을 진행한 뒤, 15%까지 배터리를 안전하게 "
        "방전시켜 오차를 리셋하고 원래 설정해 둔 충전 제한값으로 유지합니다.",
        "To calibrate the battery sensor, it will periodically charge up to 100%, safely "
        "discharge it down to 15% to reset the sensor drift, and then maintain the target "
        "charge limit.");
    platform::AlertAccessory accessory;
    accessory.width = 300;
    accessory.height = 64;
    accessory.popUpItems = {
        t("1주 (7일 뒤)", "1 Week (in 7 days)"), t("2주 (14일 뒤)", "2 Weeks (in 14 days)"),
        t("3주 (21일 뒤)", "3 Weeks (in 21 days)"), t("4주 (28일 뒤)", "4 Weeks (in 28 days)")};
    accessory.selectedItem = 1;
    accessory.checkboxTitle =
        t("선택한 주기로 정기 반복 실행", "Repeat automatically at this interval");
    accessory.checkboxOn = true;
    alert.accessoryView = accessory;
    alert.addButton(t("예약", "Schedule"));
    alert.addButton(t("취소", "Cancel"));
    if (alert.runModal() == 0 && alert.accessoryView) {
        const int weeks = std::clamp(alert.accessoryView->selectedItem, 0, 3) + 1;
        const int64_t when =
            int64_t(platform::current().locale->secondsSince1970() + double(weeks * kWeek));
        // What the user has after the run: no limit when the switch is off.
        const bool limitOn =
            chargeLimitCheckbox && chargeLimitCheckbox->state() == appkit::ControlState::on;
        const int limit =
            limitOn ? (chargeLimitSlider ? int(chargeLimitSlider->doubleValue()) : 80) : 0;
        const bool repeat = alert.accessoryView->checkboxOn;
        if (!writeCalibrationState("scheduled:" + std::to_string(when) + ":" +
                                   std::to_string(limit) + ":" +
                                   std::to_string(repeat ? weeks : 0))) {
            showCalibrationNotSaved();
            updatePowerStatusUI();
            return;
        }
        char line[200];
        std::snprintf(line, sizeof line,
                      "Nightlid: Scheduled battery calibration in %d weeks (timestamp: %lld) with "
                      "original limit %d%%, recurring: %d",
                      weeks, static_cast<long long>(when), limit, repeat ? 1 : 0);
        log.write(line);
    }
    updatePowerStatusUI();
}
