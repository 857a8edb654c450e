#include "backend/scripting/commands/ZenState.h"

#include "app/BlackoutController.h"
#include "platform/sim/VirtualMac.h"
#include "backend/scripting/Session.h"
#include "ui/CapsuleButtons.h"
#include "zen/ZenSettingsPanel.h"
#include "zen/ZenView.h"
#include "zen/ZenWindow.h"

#include <QJsonArray>
#include <QLineEdit>

#include <cmath>

namespace scripting {

void addZenState(Session& session, QJsonObject& state) {
    auto& mac = session.mac();
    QJsonArray sounds;
    for (const auto& [name, at] : mac.soundsPlayed())
        sounds.append(QJsonObject{{"name", QString::fromStdString(name)},
                                  {"time", std::round(at * 1000) / 1000}});
    state["sounds"] = sounds;
    state["activationPolicy"] =
        mac.activationPolicy() == platform::ActivationPolicy::accessory ? "accessory" : "regular";
    if (!BlackoutController::hasShared()) return;
    auto& c = BlackoutController::shared();
    QJsonObject originals;
    for (const auto& [id, value] : c.zenOriginalBrightnesses)
        originals[QString::number(id)] = std::round(double(value) * 1000) / 1000;
    QJsonObject windows;
    for (const auto& [id, window] : c.zenWindows) {
        QJsonObject w{{"visible", window->isVisible()}};
        if (auto* view = window->zenView()) {
            w["view"] = "zen";
            w["timer"] = QString::fromStdString(view->timerText());
            w["guide"] = QString::fromStdString(view->guideText());
            w["breathPhase"] = QString::fromStdString(view->breathPhase());
            w["dotScale"] = std::round(view->dotScale() * 100) / 100;
            w["controlBarAlpha"] = std::round(view->controlBarAlpha() * 100) / 100;
            w["controlBarVisible"] = view->controlBarAlpha() > 0;
            w["pauseButton"] = QString::fromStdString(view->pauseButton()->title());
            w["stopButton"] = QString::fromStdString(view->stopButton()->title());
        } else {
            w["view"] = "black";
        }
        windows[QString::number(id)] = w;
    }
    QJsonObject zen{{"isZenModeActive", c.isZenModeActive},
                    {"isZenModePaused", c.isZenModePaused},
                    {"zenSecondsRemaining", c.zenSecondsRemaining},
                    {"zenOriginalBrightnesses", originals},
                    {"zenWindows", windows},
                    {"countdownRunning", bool(c.zenCountdownTimer)}};
    if (c.zenSettingsPanel && c.zenSettingsPanel->isVisible())
        zen["settingsPanel"] =
            QJsonObject{{"title", QString::fromStdString(c.zenSettingsPanel->title())},
                        {"minutes", c.zenSettingsPanel->zenDurationValue()},
                        {"field", c.zenSettingsPanel->durationLabel()->text()}};
    else
        zen["settingsPanel"] = QJsonValue(QJsonValue::Null);
    state["zen"] = zen;
}

} // namespace scripting
