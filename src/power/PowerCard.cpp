#include "app/BlackoutController.h"
#include "app/ControlWindowParts.h"
#include "appkit/Button.h"
#include "appkit/Colors.h"
#include "appkit/Slider.h"
#include "appkit/StackView.h"
#include "appkit/Window.h"
#include "helper/HelperFileFormat.h"
#include "platform/Platform.h"
#include "platform/PowerSources.h"
#include "platform/RunLoop.h"
#include "power/HelperFiles.h"
#include "ui/CardView.h"

#include <QLabel>

#include <algorithm>
#include <cmath>

using namespace controlwindow;

namespace {

constexpr const char* kAssertionName = "Night Lid - Battery Charge Limiting Bypass";
constexpr const char* kLaunchDaemonLabel = "com.nightlid.helper";

QLabel* wrapped(const std::string& text, appkit::SystemColor color, int pointSize) {
    auto* l = wrappedLabel(text, kCardWidth - 2 * kCardPadding, pointSize);
    appkit::setTextColor(*l, appkit::color(color));
    return l;
}

std::string pct(int value) {
    return std::to_string(value) + "%)";
}

} // namespace

int BlackoutController::powerSourceProgress(int e) {
    if (e < 6) return 8 * e;
    if (e <= 15) return 40 + 4 * (e - 5);
    return std::min(95, 80 + (e - 15));
}

int BlackoutController::chargingStatusProgress(int e) {
    if (e < 6) return 10 * e;
    if (e <= 50) return 50 + (e - 5);
    return std::min(99, 95 + int(std::floor((e - 50) / 1.5)));
}

QWidget* BlackoutController::buildBatteryCard() {
    powerSourceLabel = label("전원 공급: --");
    chargingStatusLabel = label("충전 상태: --");
    batteryHealthLabel = label("배터리 수명: --");
    batteryCycleLabel = label("사이클 수: --");

    auto* checkbox = new appkit::Button(appkit::ButtonType::checkbox,
                                        t("🔋 배터리 충전 제한", "🔋 Limit Charging"));
    checkbox->setAction([this](appkit::Button& b) { chargeLimitToggled(b); });
    chargeLimitCheckbox = checkbox;
    chargeLimitValueLabel = label("--%", 0, true);
    auto* slider = new appkit::Slider(50, 100, 80);
    slider->setNumberOfTickMarks(6);
    slider->setAllowsTickMarkValuesOnly(true);
    slider->setContinuous(true); // the value label follows the knob
    slider->setFixedWidth(kCardWidth - 2 * kCardPadding);
    slider->setAction([this](appkit::Slider& s) { chargeLimitSliderChanged(s); });
    chargeLimitSlider = slider;
    auto* apply = new appkit::Button(appkit::ButtonType::push, t("적용", "Apply"));
    apply->setAction([this](appkit::Button&) { chargeLimitApplyClicked(); });
    chargeLimitApplyButton = apply;
    auto* applyRow = row({apply});
    chargeLimitApplyRow = applyRow;
    apply->setVisible(false);
    applyRow->setVisible(false);
    helperWarningLabel = wrapped(
        t("⚠️ 권한 대행 도구가 실행 중이 아니어서 충전 제한이 작동하지 "
          "않습니다.",
          "⚠️ The helper tool is not running: the charge limit is not active."),
        appkit::SystemColor::systemRed, 9);
    helperWarningLabel->setVisible(false);

    auto* description = wrapped(
        t("배터리 충전을 차단하고 충전기 전원을 직접 사용해 배터리를 보호합니다. 80% 상태에서 "
          "미세한 "
          "자연 방전으로 인해 77%까지 떨어질 수 있으며, 77% 도달 시 안전하게 다시 충전됩니다.",
          "Bypasses charging and runs directly on charger power to protect the battery. The "
          "battery level may drift down to 77% due to natural discharge, and will safely recharge "
          "when it hits 77%."),
        appkit::SystemColor::secondaryLabel, 9);
    chargeLimitDescriptionLabel = description;
    auto* note = wrapped(
        t("ℹ️ 최상의 효율을 위해 macOS의 '최적화된 배터리 충전'은 끄고 "
          "사용해 "
          "주세요.",
          "ℹ️ For best efficiency, please disable macOS 'Optimized Battery "
          "Charging'."),
        appkit::SystemColor::secondaryLabel, 9);
    note->setToolTip(QString::fromStdString(
        t("macOS 내장 최적화 충전이 함께 켜져 있으면 전원 공급 상태 오판으로 인해 80% 충전 제한이 "
          "작동하지 않고 무력화될 수 있습니다.",
          "If macOS built-in optimized charging is enabled, it may conflict and prevent the 80% "
          "charge limit from taking effect.")));

    calibrationStatusLabel = label(t("배터리 보정: 미실행", "Battery Calibration: Inactive"));
    auto* calibrate =
        new appkit::Button(appkit::ButtonType::push, t("배터리 보정 예약", "Schedule Calibration"));
    calibrate->setAction([this](appkit::Button&) { calibrationButtonClicked(); });
    calibrationButton = calibrate;

    auto* card =
        makeCard("collapseBatteryCard", "battery.100",
                 t("배터리 및 전원 관리", "Battery & Power Management"),
                 {powerSourceLabel, chargingStatusLabel, batteryHealthLabel, batteryCycleLabel,
                  row({checkbox, chargeLimitValueLabel}), slider, applyRow, helperWarningLabel,
                  description, note, row({calibrationStatusLabel, calibrate})});
    powerStatusCard = card;
    return card;
}

void BlackoutController::updatePowerStatusUI() {
    if (!controlWindow) return;
    syncChargeLimitWithFile();
    const PowerStatus status = fetchPowerStatus();
    const bool switchOn =
        chargeLimitCheckbox && chargeLimitCheckbox->state() == appkit::ControlState::on;

    std::string source;
    if (isApplyingPowerSourceTransition) {
        const std::string p = std::to_string(powerSourceProgress(powerSourceTransitionElapsed));
        source =
            t("전원 공급: 조율 중... (" + p + "%)", "Power Source: Configuring... (" + p + "%)");
    } else if (!status.isDrawingFromAC) {
        source = t("전원 공급: 배터리", "Power Source: Battery");
    } else if (status.watts) {
        const std::string w = std::to_string(*status.watts);
        source = t("전원 공급: " + w + "W 충전기", "Power Source: " + w + "W Charger");
    } else {
        source = t("전원 공급: 전원 어댑터", "Power Source: Power Adapter");
    }

    std::string charging;
    if (isApplyingChargingStatusTransition) {
        const int q = chargingStatusProgress(chargingStatusTransitionElapsed);
        static const std::pair<const char*, const char*> onStages[] = {
            {"충전 차단 신호 전송 중... (", "Sending stop command... ("},
            {"SMC 레지스터 제어 중... (", "Configuring SMC... ("},
            {"전력 분배 안정화 대기 중... (", "Stabilizing power... ("},
            {"어댑터 직결 구동 동기화 중... (", "Syncing AC bypass... ("}};
        static const std::pair<const char*, const char*> offStages[] = {
            {"충전 락 해제 명령 주입 중... (", "Releasing charge lock... ("},
            {"SMC 레지스터 리셋 중... (", "Resetting SMC... ("},
            {"돌입 전류 흐름 조율 중... (", "Regulating current... ("},
            {"배터리 충전 회로 활성화 중... (", "Activating charging... ("}};
        const int stage = q < 26 ? 0 : q < 51 ? 1 : q < 76 ? 2 : 3;
        const auto& text = (switchOn ? onStages : offStages)[stage];
        charging = t(text.first, text.second) + pct(q);
    } else if (status.isCharging) {
        charging = t("충전 상태: 충전 중 (", "Charging Status: Charging (") + pct(status.percent);
    } else if (status.percent == 100) {
        charging = t("충전 상태: 완충됨 (100%)", "Charging Status: Fully Charged (100%)");
    } else {
        charging =
            t("충전 상태: 충전 대기 중 (", "Charging Status: On Hold (") + pct(status.percent);
    }
    const std::string health = t("배터리 수명: ", "Battery Health: ") +
                               std::to_string(status.healthPercent) + "% (" +
                               getConditionTranslation(status.condition) + ")";
    const std::string cycles = t("사이클 수: " + std::to_string(status.cycleCount) + "회",
                                 "Cycle Count: " + std::to_string(status.cycleCount));
    const auto calibration = calibrationCardText(readCalibrationState());
    // What the helper said about this machine: only a running helper's word counts.
    const auto control = power::readChargingControl();
    const bool saysUncontrolled = control && !control->available;
    auto* privileges = platform::current().privileges;
    const bool running = (switchOn || saysUncontrolled) && privileges &&
                         privileges->isLaunchDaemonRunning(kLaunchDaemonLabel);
    const bool helperDown = switchOn && !running;
    const bool uncontrolled = saysUncontrolled && running;
    std::string warning, warningWhy;
    if (helperDown) {
        warning = t("⚠️ 권한 대행 도구가 실행 중이 아니어서 충전 제한이 작동하지 "
                    "않습니다.",
                    "⚠️ The helper tool is not running: the charge limit is not active.");
    } else if (uncontrolled) {
        warning = t("⚠️ 이 Mac에서는 충전을 제어할 수 없어 충전 제한이 작동하지 "
                    "않습니다.",
                    "⚠️ This Mac's charging cannot be controlled: the charge limit is not "
                    "active.");
        warningWhy = control->why;
    }

    platform::mainQueue().async([=] {
        if (!hasShared()) return;
        auto& c = shared();
        auto set = [](QLabel* l, const std::string& text) {
            if (l) l->setText(QString::fromStdString(text));
        };
        set(c.powerSourceLabel, source);
        set(c.chargingStatusLabel, charging);
        set(c.batteryHealthLabel, health);
        set(c.batteryCycleLabel, cycles);
        set(c.calibrationStatusLabel, calibration.line);
        if (c.calibrationStatusLabel)
            c.calibrationStatusLabel->setToolTip(QString::fromStdString(calibration.problem));
        if (c.calibrationButton) c.calibrationButton->setTitle(calibration.button);
        const bool busy = calibration.running || c.isApplyingPowerSourceTransition ||
                          c.isApplyingChargingStatusTransition;
        const bool on =
            c.chargeLimitCheckbox && c.chargeLimitCheckbox->state() == appkit::ControlState::on;
        if (c.chargeLimitCheckbox) c.chargeLimitCheckbox->setEnabled(!busy);
        if (c.chargeLimitSlider) c.chargeLimitSlider->setEnabled(!busy && on);
        // A limit that nothing enforces must not look like one.
        bool resized = false;
        if (c.helperWarningLabel) {
            set(c.helperWarningLabel, warning);
            c.helperWarningLabel->setToolTip(QString::fromStdString(warningWhy));
            const bool shown = !warning.empty();
            if (c.helperWarningLabel->isVisibleTo(c.helperWarningLabel->parentWidget()) != shown) {
                c.helperWarningLabel->setVisible(shown);
                resized = true;
            }
        }
        if (c.chargeLimitDescriptionLabel &&
            c.chargeLimitDescriptionLabel->isVisibleTo(
                c.chargeLimitDescriptionLabel->parentWidget()) == uncontrolled) {
            c.chargeLimitDescriptionLabel->setVisible(!uncontrolled);
            resized = true;
        }
        if (resized) c.adjustWindowHeight();
    });
    updateSleepAssertion(status.isConnected, status.isCharging, status.percent);
}

void BlackoutController::startLimitTransition(bool on) {
    if (limitTransitionTimer) limitTransitionTimer->invalidate();
    powerSourceTransitionElapsed = chargingStatusTransitionElapsed = 0;
    isApplyingPowerSourceTransition = isApplyingChargingStatusTransition = true;
    if (chargeLimitCheckbox) chargeLimitCheckbox->setEnabled(false);
    if (chargeLimitSlider) chargeLimitSlider->setEnabled(false);
    if (chargeLimitApplyButton) chargeLimitApplyButton->setVisible(false);
    if (chargeLimitApplyRow) chargeLimitApplyRow->setVisible(false);
    const PowerStatus start = fetchPowerStatus();
    initialIsChargingState = start.isCharging;
    initialIsDrawingFromAC = start.isDrawingFromAC;
    updatePowerStatusUI();
    limitTransitionTimer = platform::mainQueue().scheduleRepeating(1.0, [on](platform::Timer&) {
        if (!hasShared()) return;
        auto& c = shared();
        const PowerStatus now = c.fetchPowerStatus();
        if (c.isApplyingPowerSourceTransition) {
            const int e = ++c.powerSourceTransitionElapsed;
            const bool changed = on ? (c.initialIsDrawingFromAC && !now.isDrawingFromAC)
                                    : (!c.initialIsDrawingFromAC && now.isDrawingFromAC);
            if (e >= 6 && (changed || e >= 15)) c.isApplyingPowerSourceTransition = false;
        }
        if (c.isApplyingChargingStatusTransition) {
            const int e = ++c.chargingStatusTransitionElapsed;
            const bool changed = on ? (c.initialIsChargingState && !now.isCharging)
                                    : (!c.initialIsChargingState && now.isCharging);
            if (e >= (on ? 12 : 30) && (changed || e >= 120))
                c.isApplyingChargingStatusTransition = false;
        }
        if (!c.isApplyingPowerSourceTransition && !c.isApplyingChargingStatusTransition) {
            if (c.limitTransitionTimer) c.limitTransitionTimer->invalidate();
            c.limitTransitionTimer.reset();
            if (c.chargeLimitCheckbox) c.chargeLimitCheckbox->setEnabled(true);
            if (c.chargeLimitSlider) c.chargeLimitSlider->setEnabled(on);
        }
        c.updatePowerStatusUI();
    });
}

void BlackoutController::startChargingStatusOnlyTransition() {
    if (limitTransitionTimer) limitTransitionTimer->invalidate();
    isApplyingPowerSourceTransition = false;
    isApplyingChargingStatusTransition = true;
    chargingStatusTransitionElapsed = 0;
    initialIsChargingState = fetchPowerStatus().isCharging;
    if (chargeLimitCheckbox) chargeLimitCheckbox->setEnabled(false);
    if (chargeLimitSlider) chargeLimitSlider->setEnabled(false);
    updatePowerStatusUI();
    const bool on = chargeLimitCheckbox && chargeLimitCheckbox->state() == appkit::ControlState::on;
    const int target = chargeLimitSlider ? int(chargeLimitSlider->doubleValue()) : 80;
    limitTransitionTimer =
        platform::mainQueue().scheduleRepeating(1.0, [on, target](platform::Timer&) {
            if (!hasShared()) return;
            auto& c = shared();
            const PowerStatus now = c.fetchPowerStatus();
            const int e = ++c.chargingStatusTransitionElapsed;
            const bool below = now.percent < target;
            const bool expectedSeen = below ? now.isCharging : !now.isCharging;
            if (e >= (below ? 12 : 20) && (expectedSeen || e >= 120)) {
                if (c.limitTransitionTimer) c.limitTransitionTimer->invalidate();
                c.limitTransitionTimer.reset();
                c.isApplyingChargingStatusTransition = false;
                if (c.chargeLimitCheckbox) c.chargeLimitCheckbox->setEnabled(true);
                if (c.chargeLimitSlider) c.chargeLimitSlider->setEnabled(on);
            }
            c.updatePowerStatusUI();
        });
}

void BlackoutController::updateSleepAssertion(bool isConnected, bool isCharging, int percent) {
    auto* assertions = platform::current().powerAssertions;
    if (!assertions) return;
    const bool switchOn =
        chargeLimitCheckbox && chargeLimitCheckbox->state() == appkit::ControlState::on;
    const bool wanted = isConnected && !isCharging && percent <= 99 && switchOn;
    if (wanted && sleepAssertionID == 0) {
        uint32_t id = 0;
        if (assertions->createAssertion("NoIdleSleepAssertion", 255, kAssertionName, id) == 0)
            sleepAssertionID = id;
    } else if (!wanted && sleepAssertionID != 0) {
        assertions->releaseAssertion(sleepAssertionID);
        sleepAssertionID = 0;
    }
}

void BlackoutController::releaseSleepAssertion() {
    if (sleepAssertionID != 0)
        if (auto* assertions = platform::current().powerAssertions)
            assertions->releaseAssertion(sleepAssertionID);
    sleepAssertionID = 0;
}
