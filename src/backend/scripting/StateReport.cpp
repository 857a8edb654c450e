#include "backend/scripting/StateReport.h"

#include "app/BlackoutController.h"
#include "appkit/Button.h"
#include "appkit/Window.h"
#include "backend/scripting/CommandTable.h"
#include "backend/scripting/Session.h"
#include "backend/scripting/commands/DisplayModeCommands.h"
#include "backend/scripting/commands/HotkeyCommands.h"
#include "backend/scripting/commands/PomodoroState.h"
#include "backend/scripting/commands/PowerCommands.h"
#include "backend/scripting/commands/WindowCommands.h"
#include "backend/scripting/commands/ZenState.h"
#include "blackout/RecoveryJournal.h"
#include "display/DisplayEngine.h"
#include "platform/Clock.h"

#include "platform/ManualRunLoop.h"
#include "platform/UserDefaults.h"
#include "platform/sim/SimAlerts.h"
#include "platform/sim/SimAppearance.h"
#include "platform/sim/SimAudio.h"
#include "platform/sim/SimBrightness.h"
#include "platform/sim/SimInput.h"
#include "platform/sim/SimMonitor.h"
#include "platform/sim/SimStatusItem.h"
#include "platform/sim/SimWindowServer.h"
#include <QScrollArea>
#include <QScrollBar>

#include <QJsonArray>

#include <cmath>

namespace scripting {

namespace {

QJsonArray menuTitles(const platform::Menu& menu) {
    QJsonArray out;
    for (const auto& t : menu.titles())
        out.append(QString::fromStdString(t));
    return out;
}

QJsonValue storedValue(const platform::UserDefaults::Stored& v) {
    if (auto b = std::get_if<bool>(&v)) return *b;
    if (auto i = std::get_if<int64_t>(&v)) return qint64(*i);
    // Floats the program stores come back with float noise (0.64 as 0.6399999857): shown to
    // the six places a Float holds.
    if (auto d = std::get_if<double>(&v)) return std::round(*d * 1e6) / 1e6;
    return QString::fromStdString(std::get<std::string>(v));
}

QString hex(uint8_t code) {
    return QString("0x%1").arg(code, 2, 16, QChar('0')).toUpper().replace("0X", "0x");
}

// Fractions kept as floats read back as 0.800000011920929; four places are what a user sees.
double rounded(double v) {
    return std::round(v * 10000.0) / 10000.0;
}

} // namespace

// The pacing a monitor saw: its Set VCP frames, the busiest second of them, and how long after
// the program asked for the latest brightness the monitor had it.
static QJsonObject ddcFigures(sim::VirtualMac& mac, DisplayID id, const sim::SimMonitor& m) {
    const uint64_t now = mac.clock().nowMicroseconds();
    QJsonValue lag = QJsonValue::Null;
    if (DisplayEngine::hasShared())
        if (auto asked = DisplayEngine::shared().lastAsked(id, 0x10))
            if (auto after = m.arrivalAfter(asked->at, 0x10, asked->value))
                lag = double(*after) / 1000.0;
    const auto last = m.lastFrameAt();
    return QJsonObject{
        {"setVcpFrames", m.validSetCount()},
        {"framesInBusiestSecond", m.framesInBusiestSecond()},
        {"framesInLastSecond", m.framesInLastSecond(now)},
        {"lastFrameAgoMs", last ? QJsonValue(double(now - *last) / 1000.0) : QJsonValue()},
        {"lastValueLagMs", lag}};
}

namespace {

// The displays online, the registry and each monitor's VCP values and DDC figures.
void addHardwareState(Session& session, QJsonObject& state) {
    auto& mac = session.mac();
    QJsonArray online;
    for (auto id : mac.onlineDisplays())
        online.append(qint64(id));
    state["online"] = online;

    QJsonArray registry;
    if (DisplayEngine::hasShared())
        for (const auto& d : DisplayEngine::shared().displays)
            registry.append(QJsonObject{{"id", qint64(d.id)},
                                        {"name", QString::fromStdString(d.name)},
                                        {"builtIn", d.isBuiltIn},
                                        {"ddc", bool(d.ddcService)}});
    state["registry"] = registry;

    QJsonObject monitors, ddc;
    for (const auto& d : mac.description().displays) {
        auto m = mac.monitor(d.id);
        if (!m) continue;
        QJsonObject o;
        for (uint8_t code : {uint8_t(0x10), uint8_t(0x62), uint8_t(0xD6)})
            if (auto v = m->vcp(code))
                o[hex(code)] = QJsonObject{{"current", v->current}, {"max", v->maximum}};
        o["writes"] = m->writeCount();
        o["reads"] = m->readCount();
        o["ddc"] = ddcFigures(mac, d.id, *m);
        monitors[QString::number(d.id)] = o;
        ddc[QString::number(d.id)] = o["ddc"];
    }
    state["monitors"] = monitors;
    state["ddc"] = ddc;
}

// What each screen shows, and the machine's other outputs and inputs.
void addScreenState(Session& session, QJsonObject& state) {
    auto& mac = session.mac();
    // What each screen shows: backlight, gamma table and the windows laid over it.
    QJsonObject screens;
    for (const auto& d : mac.description().displays) {
        if (!d.online) continue;
        QJsonObject o;
        if (d.builtIn) {
            o["brightness"] = rounded(d.brightness);
        } else if (auto m = mac.monitor(d.id); m && m->vcp(0x10) && m->vcp(0x10)->maximum > 0) {
            o["brightness"] = rounded(double(m->vcp(0x10)->current) / m->vcp(0x10)->maximum);
        }
        const auto& gamma = mac.brightness().gamma(d.id);
        o["gamma"] = QString::fromStdString(gamma.kind());
        o["gammaSamples"] = int(gamma.red.size());
        QJsonValue overlay = QJsonValue::Null;
        QJsonArray windows;
        for (const auto& e : mac.windowServer().windows()) {
            if (!(e.window.frame == d.frame)) continue;
            windows.append(QString::fromStdString(e.window.kind));
            if (e.window.kind == "overlay") overlay = rounded(e.window.alphaValue);
        }
        o["overlayAlpha"] = overlay;
        o["windows"] = windows;
        screens[QString::number(d.id)] = o;
    }
    state["screens"] = screens;
    state["colorSyncResets"] = mac.brightness().colorSyncResets();
    QJsonObject keyboards;
    for (const auto& k : mac.description().keyboardBacklights)
        keyboards[QString::number(k.id)] = rounded(k.level);
    state["keyboardBacklights"] = keyboards;
    state["autoBrightness"] = mac.description().autoBrightness;
    state["systemAppearance"] = mac.appearance().isDark() ? "dark" : "light";
    auto protector = mac.windowServer().windowsOfKind("protector");
    QJsonValue protectorScreen = QJsonValue::Null;
    if (!protector.empty())
        for (const auto& d : mac.description().displays)
            if (d.online && d.frame == protector.back().window.frame)
                protectorScreen = qint64(d.id);
    state["protectorWindow"] = protectorScreen;
    state["cursorHideCount"] = mac.input().cursorHideCount();
    state["keysReachingApplication"] = mac.input().keysReachingApplication();
}

// The status item as the menu bar shows it.
void addStatusItemState(Session& session, QJsonObject& state) {
    auto& mac = session.mac();
    if (auto item = mac.statusItem()) {
        QJsonObject si{{"image", item->imageSymbol() ? QString::fromStdString(*item->imageSymbol())
                                                     : QJsonValue(QJsonValue::Null)},
                       {"title", QString::fromStdString(item->title())},
                       {"toolTip", QString::fromStdString(item->toolTip())},
                       {"menuPopUps", item->menuPopUps()}};
        if (item->lastMenu()) si["lastMenu"] = menuTitles(*item->lastMenu());
        state["statusItem"] = si;
    }
}

// The controller's windows and the displays it holds dark.
void addControllerState(QJsonObject& state) {
    if (BlackoutController::hasShared()) {
        auto& c = BlackoutController::shared();
        if (c.statusMenu) state["statusMenu"] = menuTitles(*c.statusMenu);
        QJsonObject cw{{"exists", bool(c.controlWindow)}};
        if (c.controlWindow) {
            cw["visible"] = c.controlWindow->isVisible();
            cw["title"] = QString::fromStdString(c.controlWindow->title());
            // Title bar included, where the window manager put it.
            const QRect frame = c.controlWindow->widget()->frameGeometry();
            cw["frame"] = QJsonArray{frame.x(), frame.y(), frame.width(), frame.height()};
            if (c.mainScrollView) cw["scrollY"] = c.mainScrollView->verticalScrollBar()->value();
        }
        if (c.controlWindow)
            cw["appearance"] =
                c.controlWindow->effectiveAppearance() == appkit::Appearance::darkAqua ? "dark"
                                                                                       : "light";
        if (c.appearanceButton) {
            cw["appearanceButton"] = QJsonObject{
                {"image", QString::fromStdString(c.appearanceButton->imageName())},
                {"label", QString::fromStdString(c.appearanceButton->accessibilityDescription())},
                {"toolTip", c.appearanceButton->toolTip()}};
        }
        state["controlWindow"] = cw;
        state["isProtecting"] = c.isProtecting;
        QJsonObject off;
        for (const auto& [id, value] : c.poweredOffBrightnesses)
            off[QString::number(id)] = rounded(value);
        state["poweredOff"] = off;
        // What a crash now would leave for the next start to bring back.
        QJsonArray journal;
        if (c.recoveryJournal)
            for (const auto& e : c.recoveryJournal->displays())
                journal.append(QJsonObject{{"display", qint64(e.id)},
                                           {"reason", QString::fromStdString(e.reason)},
                                           {"brightness", rounded(e.brightness)}});
        state["recoveryJournal"] = journal;
    }
}

// The brightness the controller holds, its tiles and its display cache.
void addBrightnessState(QJsonObject& state) {
    if (BlackoutController::hasShared()) {
        auto& c = BlackoutController::shared();
        QJsonObject current, known;
        for (const auto& [id, value] : c.currentBrightnesses)
            current[QString::number(id)] = rounded(value);
        for (const auto& [id, value] : c.lastKnownBrightnesses)
            known[QString::number(id)] = rounded(value);
        state["currentBrightnesses"] = current;
        state["lastKnownBrightnesses"] = known;
        state["lastBuiltInBrightness"] =
            c.lastBuiltInBrightness ? QJsonValue(rounded(*c.lastBuiltInBrightness)) : QJsonValue();
        QJsonObject tiles;
        for (const auto& [id, button] : c.powerButtons)
            if (button) tiles[QString::number(id)] = button->toolTip();
        state["powerTiles"] = tiles;
        state["isEnglish"] = c.isEnglish();
        QJsonArray cached;
        for (const auto& [id, d] : c.cachedDisplaysByID)
            cached.append(qint64(id));
        state["cachedDisplays"] = cached;
    }
}

// Alerts, defaults, sound and the machine-wide settings the program follows.
void addSystemState(Session& session, QJsonObject& state) {
    auto& mac = session.mac();
    QJsonArray alerts;
    for (const auto& a : mac.alerts().shown()) {
        QJsonArray buttons;
        for (const auto& b : a.buttons)
            buttons.append(QString::fromStdString(b));
        alerts.append(QJsonObject{{"title", QString::fromStdString(a.messageText)},
                                  {"message", QString::fromStdString(a.informativeText)},
                                  {"buttons", buttons}});
    }
    state["alerts"] = alerts;

    QJsonObject defaults;
    for (const auto& [k, v] : mac.platform().defaults->all())
        defaults[QString::fromStdString(k)] = storedValue(v);
    state["defaults"] = defaults;

    QJsonArray devices;
    std::string defaultName;
    for (const auto& a : mac.audio().devices()) {
        if (a.outputStreams == 0) continue;
        devices.append(QJsonObject{{"id", qint64(a.id)},
                                   {"name", QString::fromStdString(a.name)},
                                   {"volume", a.hasVolume ? QJsonValue(rounded(a.volume))
                                                          : QJsonValue(QJsonValue::Null)}});
        if (a.id == mac.audio().defaultOutput()) defaultName = a.name;
    }
    state["audio"] = QJsonObject{
        {"devices", devices},
        {"defaultOutput", defaultName.empty() ? QJsonValue(QJsonValue::Null)
                                              : QJsonValue(QString::fromStdString(defaultName))}};
}

} // namespace

QJsonObject stateReport(Session& session) {
    auto& mac = session.mac();
    QJsonObject state;
    if (auto loop = mac.manualRunLoop()) state["time"] = loop->now();
    addHardwareState(session, state);
    addScreenState(session, state);
    addStatusItemState(session, state);
    addControllerState(state);
    addBrightnessState(state);
    addSystemState(session, state);
    addWindowState(state);
    if (BlackoutController::hasShared()) {
        auto& c = BlackoutController::shared();
        state["standby"] = QJsonObject{{"active", c.isRemoteStandbyActive},
                                       {"idleSeconds", rounded(mac.input().idleSeconds())},
                                       {"idleTimer", bool(c.idleCheckTimer)},
                                       {"assertionID", qint64(c.remoteStandbyAssertionID)}};
    }
    state["blueLight"] = QJsonObject{{"on", mac.brightness().blueLightOn()},
                                     {"strength", rounded(mac.brightness().blueLightStrength())},
                                     {"commits", mac.brightness().blueLightStrengthCommits()}};
    addHotkeyState(session, state);
    addPowerState(session, state);
    addZenState(session, state);
    addPomodoroState(session, state);
    addDisplayModeState(session, state);

    state["updateChecks"] = mac.updateChecks();
    state["terminated"] = session.terminated();
    return state;
}

namespace {

// The fields `state` prints, with one help line each (the README's table of them).
const StateField kStateFields[] = {
    {"activationPolicy", "`regular` with a Dock icon, `accessory` without"},
    {"alerts",
     "every alert shown: title, message and buttons (an alert given no button gets the system's, "
     "\"확인\" on a Korean machine, \"OK\" otherwise, and `alert OK` answers either)"},
    {"arrangement", "each display's arrangement pop-up: tag, selected index and title"},
    {"assertions", "each held power assertion's name, type and level"},
    {"audio", "the sound devices, their volumes and the default output"},
    {"autoBrightness", "whether the panel's automatic brightness is on"},
    {"blueLight", "the blue-light filter: `on`, `strength`, strength `commits` sent"},
    {"cachedDisplays", "the displays the program keeps from its last registry refresh"},
    {"cards", "each card's collapse state, by its collapse key"},
    {"colorSyncResets", "how often the gamma tables were reset to their ColorSync defaults"},
    {"controlWindow",
     "the control window: visible, frame, theme, theme button, `scrollY` (how far its content is "
     "scrolled)"},
    {"controls",
     "every control of every open window, in order, with its window, kind, title, tag, value, "
     "enabled and hidden flags, and label text"},
    {"controlsByTag", "the same controls by tag"},
    {"currentBrightnesses", "the brightness the program holds for each display"},
    {"cursorHideCount", "how many times the cursor is hidden"},
    {"ddc", "per monitor ID (also under `monitors/ID/ddc`): `setVcpFrames` the well-formed Set VCP "
            "frames since the machine started, `framesInBusiestSecond`, `framesInLastSecond`, "
            "`lastFrameAgoMs`, `lastValueLagMs` (how long after the program asked for its latest "
            "brightness the monitor had it, null until it has)"},
    {"defaults", "every stored user default"},
    {"displayConfig",
     "per display ID: `mode` (`width`, `height`, `pixelWidth`, `pixelHeight`, `refresh`), "
     "`origin` as [x, y], `main`, `mirrorOf` (an ID or null)"},
    {"displayConfigurations",
     "what each display configuration transaction did, or why it was refused"},
    {"files", "`limit` and `calibration`: the text, or null when missing or unusable (a link, a "
              "hard link, a FIFO, over 4 KiB); `limitOwner` and `calibrationOwner`: `root` or "
              "`user`"},
    {"frontWindow", "the front window's title and frame"},
    {"helper",
     "the charge-limit helper: `installed`, `running`, the `limit` it enforces, `chargingControl` "
     "(what it says of this machine's charging: `available`, or `unavailable:` and why; null "
     "before it has said anything), `prompts` shown, `commandsRun` as root"},
    {"hotkeys",
     "`registered` (every held combination with its code, mask, text and owner), `displays` "
     "(each display's hotkey text or null), `isRecordingHotkey`, `recordingDisplayID`, "
     "`recordingMonitor`, `buttons` (each hotkey button's title, shown text, colours, active, "
     "hovered and recording flags), `keyboardLayout`, `pressesToOtherApplications`"},
    {"isEnglish", "whether the interface is in English"},
    {"isProtecting", "whether protector mode is on"},
    {"keyboardBacklights", "each keyboard backlight's level"},
    {"keysReachingApplication", "keys that reached the program's windows"},
    {"lastBuiltInBrightness", "the panel's brightness the sync last saw"},
    {"lastKnownBrightnesses", "the last brightness above zero of each display"},
    {"log", "the log lines written since the previous `state`"},
    {"monitors", "each monitor's VCP values (current and maximum) and its `ddc` figures"},
    {"notifications",
     "each delivered notification's identifier, title, body, `time` (virtual seconds) and "
     "`clock` (the machine's clock when it came, as its banner shows it)"},
    {"online", "the online display IDs"},
    {"pomodoro",
     "the run: `isPomodoroActive`, `phase`, durations, cycles, `secondsRemaining`, "
     "`timerRunning`, `alertShown`, `isShowingStopAlert`, `originalBrightnesses`, the toolbar "
     "`button`'s title; `breakWindows`, `statusPanel`, `settingsPanel`, `startOverlay`"},
    {"power",
     "the power status the card reads, with `chargingInhibited` and `adapterBypassed` as the "
     "helper set them, `appliedLimit`, `limitShown` (the limit's switch and the value beside it "
     "as the card shows them, `on 80%`, `off 꺼짐`), `sleepAssertionID`"},
    {"powerTiles", "each power tile's tool tip"},
    {"poweredOff", "the switched-off displays with the brightness they come back to"},
    {"protectorWindow", "the screen protector mode covers"},
    {"recoveryJournal", "what a crash now would leave for the next start to bring back"},
    {"registry", "the display registry and DDC pairing"},
    {"resolution",
     "`scaling` (each display's options with mode, label, selected, enabled and density `level`) "
     "and `popups` (each resolution pop-up's tag, items, selection and enabled flag)"},
    {"screens",
     "each screen's brightness, gamma table (identity, black or custom with its sample count), "
     "overlay alpha and windows"},
    {"sounds", "each system sound played, in order, with its time"},
    {"standby",
     "`active`, `idleSeconds` since the last input, whether the `idleTimer` runs, `assertionID`"},
    {"statusItem", "the status item: image or title, tool tip, the last menu it showed"},
    {"statusMenu", "the status menu's items"},
    {"systemAppearance", "the system appearance, `light` or `dark`"},
    {"terminated", "whether the program has quit"},
    {"time", "the virtual time in seconds since the machine started"},
    {"updateChecks", "how many update checks ran"},
    {"zen",
     "`isZenModeActive`, `isZenModePaused`, `zenSecondsRemaining`, `zenOriginalBrightnesses`, "
     "`countdownRunning`, `settingsPanel` with its minutes, and `zenWindows` per display (`view` "
     "zen or black, `timer`, `guide`, `breathPhase`, `dotScale`, `controlBarAlpha`, "
     "`controlBarVisible`, the two buttons' titles)"},
};

} // namespace

void registerStateFields(CommandTable& table) {
    for (const auto& field : kStateFields)
        table.addState(field);
}

} // namespace scripting
