#include "backend/scripting/commands/PomodoroState.h"
#include "platform/RunLoop.h"
#include "platform/SystemLocale.h"

#include "app/BlackoutController.h"
#include "appkit/Button.h"
#include "appkit/PopUpButton.h"
#include "appkit/Stepper.h"
#include "backend/scripting/Session.h"
#include "platform/sim/VirtualMac.h"
#include "pomodoro/PomodoroBreakView.h"
#include "pomodoro/PomodoroSettingsPanel.h"
#include "pomodoro/PomodoroStartOverlay.h"
#include "pomodoro/PomodoroStatusPanel.h"
#include "ui/CapsuleButtons.h"
#include "zen/ZenWindow.h"

#include <QJsonArray>
#include <QLineEdit>

#include <cmath>

namespace scripting {

namespace {

QString text(const std::string& s) {
    return QString::fromStdString(s);
}

double rounded(double v) {
    return std::round(v * 1000) / 1000;
}

} // namespace

void addPomodoroState(Session& session, QJsonObject& state) {
    QJsonArray notifications;
    auto& platform = session.mac().platform();
    for (const auto& [n, at] : session.mac().deliveredNotifications()) {
        // The machine's clock when it came, in its time zone, as its banner shows it.
        const auto local =
            int64_t(std::floor(platform.locale->secondsSince1970() -
                               (platform.runLoop->now() - at) + platform.locale->secondsFromGMT()));
        const int64_t ofDay = ((local % 86400) + 86400) % 86400;
        notifications.append(QJsonObject{{"identifier", text(n.identifier)},
                                         {"title", text(n.title)},
                                         {"body", text(n.body)},
                                         {"time", rounded(at)},
                                         {"clock", QString("%1:%2")
                                                       .arg(ofDay / 3600, 2, 10, QChar('0'))
                                                       .arg(ofDay / 60 % 60, 2, 10, QChar('0'))}});
    }
    state["notifications"] = notifications;
    if (!BlackoutController::hasShared()) return;
    auto& c = BlackoutController::shared();
    QJsonObject p{{"isPomodoroActive", c.isPomodoroActive},
                  {"phase", c.pomodoroPhase == BlackoutController::PomodoroPhase::focus
                                ? "focus"
                                : "breakTime"},
                  {"focusDuration", qint64(c.pomodoroFocusDuration)},
                  {"breakDuration", qint64(c.pomodoroBreakDuration)},
                  {"totalCycles", qint64(c.pomodoroTotalCycles)},
                  {"currentCycle", qint64(c.pomodoroCurrentCycle)},
                  {"secondsRemaining", qint64(c.pomodoroSecondsRemaining)},
                  {"timerRunning", bool(c.pomodoroTimer) && c.pomodoroTimer->isValid()},
                  {"alertShown", c.pomodoroAlertShown},
                  {"isShowingStopAlert", c.isShowingStopAlert},
                  {"button", c.pomodoroButton ? text(c.pomodoroButton->title()) : QJsonValue()}};
    QJsonObject originals;
    for (const auto& [id, value] : c.pomodoroOriginalBrightnesses)
        originals[QString::number(id)] = rounded(value);
    p["originalBrightnesses"] = originals;

    QJsonObject windows;
    for (const auto& [id, window] : c.pomodoroWindows) {
        QJsonObject w{{"level", window->level()}, {"visible", window->isVisible()}};
        if (auto* view = dynamic_cast<pomodoro::PomodoroBreakView*>(window->view())) {
            w["title"] = text(view->titleText());
            w["timer"] = text(view->timerText());
            w["progress"] = text(view->progressText());
            w["pauseButton"] = text(view->pauseButton()->title());
            w["isPaused"] = view->isPaused();
            w["controlBarVisible"] = view->controlBarAlpha() > 0;
        }
        windows[QString::number(id)] = w;
    }
    p["breakWindows"] = windows;

    if (auto& panel = c.pomodoroStatusPanel)
        p["statusPanel"] = QJsonObject{{"title", text(panel->title())},
                                       {"phase", text(panel->phaseText())},
                                       {"timer", text(panel->timerText())},
                                       {"pauseButton", text(panel->pauseButton()->title())},
                                       {"visible", panel->isVisible()}};
    if (auto& panel = c.pomodoroSettingsPanel)
        p["settingsPanel"] = QJsonObject{
            {"title", text(panel->title())},
            {"focus", panel->focusValue()},
            {"break", panel->breakValue()},
            {"cycles", panel->repeatValue()},
            {"fields", QJsonArray{panel->focusLabel()->text(), panel->breakLabel()->text(),
                                  panel->repeatLabel()->text()}},
            {"units", QJsonArray{text(panel->unitText(0)), text(panel->unitText(1)),
                                 text(panel->unitText(2))}},
            {"steppers", QJsonArray{panel->focusStepper()->integerValue(),
                                    panel->breakStepper()->integerValue(),
                                    panel->repeatStepper()->integerValue()}},
            {"focusSound", text(panel->focusSoundPopUp()->titleOfSelectedItem())},
            {"breakSound", text(panel->breakSoundPopUp()->titleOfSelectedItem())},
            {"dim", panel->dimCheckbox()->state() == appkit::ControlState::on}};
    if (auto& overlay = c.pomodoroStartOverlay)
        p["startOverlay"] = QJsonObject{{"visible", overlay->isVisible()},
                                        {"title", text(overlay->view()->titleText())},
                                        {"line", text(overlay->view()->lineText())},
                                        {"opacity", rounded(overlay->view()->contentOpacity())},
                                        {"ignoresMouseEvents", overlay->ignoresMouseEvents()}};
    state["pomodoro"] = p;
}

} // namespace scripting
