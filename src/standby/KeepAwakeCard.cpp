#include "app/BlackoutController.h"
#include "app/ControlWindowParts.h"
#include "appkit/Button.h"
#include "appkit/Colors.h"
#include "platform/SymbolImages.h"
#include "platform/Platform.h"
#include "platform/UserDefaults.h"
#include "ui/CardView.h"
#include "ui/StyledPopUpButton.h"

#include <QLabel>

using namespace controlwindow;

namespace {

QLabel* secondary(const std::string& text, bool wrap) {
    auto* l = wrap ? wrappedLabel(text, kCardWidth - 2 * kCardPadding, 9) : label(text);
    appkit::setTextColor(*l, appkit::color(appkit::SystemColor::secondaryLabel));
    return l;
}

} // namespace

QWidget* BlackoutController::buildKeepAwakeCard() {
    auto& defaults = *platform::current().defaults;
    auto* keepAwake =
        new appkit::Button(appkit::ButtonType::checkbox, t("잠 안자기", "Keep Awake"));
    keepAwake->setState(defaults.boolValue("autoRemoteStandby").value_or(false)
                            ? appkit::ControlState::on
                            : appkit::ControlState::off);
    keepAwake->setAction([this](appkit::Button& b) { autoRemoteStandbyToggled(b); });
    autoRemoteStandbyCheckbox = keepAwake;

    auto* screenOff =
        new appkit::Button(appkit::ButtonType::checkbox, t("화면만 끄기", "Turn off screen only"));
    screenOff->setState(defaults.boolValue("keepAwakeTurnOffScreen").value_or(true)
                            ? appkit::ControlState::on
                            : appkit::ControlState::off);
    screenOff->setAction([this](appkit::Button& b) { turnOffScreenToggled(b); });
    keepAwakeTurnOffScreenCheckbox = screenOff;

    auto* timeout = new ui::StyledPopUpButton;
    for (const auto& [ko, en] : std::vector<std::pair<const char*, const char*>>{{"1분", "1m"},
                                                                                 {"2분", "2m"},
                                                                                 {"5분", "5m"},
                                                                                 {"10분", "10m"},
                                                                                 {"15분", "15m"},
                                                                                 {"30분", "30m"}})
        timeout->addItem(t(ko, en));
    const auto stored = defaults.integer("autoRemoteStandbyTimeout");
    int selected = 2; // 5 minutes
    for (size_t i = 0; i < remoteStandbyTimeouts().size(); ++i)
        if (stored && *stored == remoteStandbyTimeouts()[i]) selected = int(i);
    timeout->selectItem(selected);
    timeout->setFixedWidth(80);
    timeout->setAction([this](appkit::PopUpButton& p) { remoteStandbyTimeoutChanged(p); });
    remoteStandbyTimeoutPopup = timeout;

    auto* start = new appkit::Button(appkit::ButtonType::push, t("화면 끄기", "Turn Off Screen"));
    start->setAction([this](appkit::Button&) { startRemoteStandbyClicked(); });
    startRemoteStandbyButton = start;

    const std::string symbol = platform::hasSystemSymbol("figure.run") ? "figure.run" : "person.fill";
    return makeCard(
        "collapseRemoteCard", symbol, t("잠 안자기 모드", "Keep Awake"),
        {row({keepAwake,
              secondary(t(" (잠자기 모드에 진입하지 않습니다)", " (Prevents system sleep)"),
                        false)},
             false),
         row({screenOff, secondary(t(" (비활성 상태인 경우", " (After"), false), timeout,
              secondary(t("이후)", "inactivity)"), false)},
             false),
         row({start}, false),
         secondary(
             t("ℹ️ 설정 시 화면만 꺼지고 잠자기 모드에 진입하지 않아 원격 접속이 "
               "가능합니다. "
               "(탈출: "
               "트랙패드, 마우스 클릭)",
               "ℹ️ When enabled, only the screen turns off and the system does not sleep, "
               "allowing remote access. (Exit: Trackpad, Mouse Click)"),
             true),
         secondary(
             t("유휴 상태 감지는 로컬 입력 이벤트를 직접 조회하므로 개인정보 수집 알림(접근성 "
               "권한) 없이 깔끔하게 동작합니다.",
               "Idle detection checks system-wide activity time, working cleanly without "
               "accessibility permission prompts."),
             true)});
}
