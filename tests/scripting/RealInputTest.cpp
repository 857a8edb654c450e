// What only a person's hands find: the script driver sends real mouse and key events, so these
// tests go through the same window-system input a person's clicks, drags and keys take.

#include "app/BlackoutController.h"
#include "appkit/Button.h"
#include "appkit/ViewLookup.h"
#include "appkit/Window.h"
#include "backend/scripting/ScriptDriver.h"
#include "backend/scripting/Session.h"
#include "platform/Platform.h"
#include "platform/sim/SimWindowServer.h"
#include "platform/sim/VirtualMac.h"
#include "zen/ZenSettingsPanel.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPoint>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <sstream>

namespace {

struct Run {
    int status = 0;
    std::string err;
    std::vector<QJsonObject> states;
};

// The script on the default machine (on a profile folder when given); a state line per `state`.
// then, when given, looks at the program after the script and gives the lines that follow.
Run run(const std::string& script, const std::string& profile = {},
        const std::function<std::string()>& then = {}) {
    sim::VirtualMacOptions options;
    options.profileDir = profile;
    scripting::Session session(sim::VirtualMac::defaultDescription(), options);
    session.launch();
    std::ostringstream out, err;
    scripting::ScriptDriver driver(session, out, err);
    Run r;
    r.status = driver.runText(script, "test.nls");
    if (then && r.status == 0) r.status = driver.runText(then(), "then.nls");
    r.err = err.str();
    std::istringstream lines(out.str());
    for (std::string line; std::getline(lines, line);)
        if (!line.empty() && line[0] == '{')
            r.states.push_back(QJsonDocument::fromJson(QByteArray::fromStdString(line)).object());
    return r;
}

QJsonValue at(const QJsonObject& state, std::initializer_list<const char*> path) {
    QJsonValue v = state;
    for (auto* p : path)
        v = v.isArray() ? v.toArray().at(QString(p).toInt()) : v.toObject().value(QString(p));
    return v;
}

// The charge limit as its card shows it: "on 80%", "off 꺼짐".
std::string chargeLimitShown(const QJsonObject& state) {
    return at(state, {"power", "limitShown"}).toString().toStdString();
}

} // namespace

TEST(RealInput, WhatAPersonCannotReachIsAnErrorNamingIt) {
    // Hidden: the Apply button shows only once the limit's slider differs from the file.
    auto r = run("advance 1\nclick 적용\n");
    EXPECT_NE(r.err.find("test.nls:2: the button \"적용\" is hidden"), std::string::npos) << r.err;
    // Disabled: a switched-off display's brightness slider.
    r = run("advance 1\npower-tile 2\nslider 1001 0.5\n");
    EXPECT_NE(r.err.find("test.nls:3: the slider 1001 is disabled"), std::string::npos) << r.err;
    // Behind an open alert: the control window takes no click until it is answered.
    r = run(
        "advance 1\nclick-status-item right\nmenu \"업데이트 확인...\"\nclick \"🧘♂️ "
        "명상\"\n");
    EXPECT_NE(
        r.err.find("test.nls:4: the button \"🧘♂️ 명상\" cannot be reached: the alert "),
        std::string::npos)
        << r.err;

    // Covered by another window: the person has moved the Zen settings panel over a tile.
    r = run("advance 1\nclick \"🧘♂️ 명상\"\nadvance 0.1\n", {}, [] {
        auto& c = BlackoutController::shared();
        if (!c.zenSettingsPanel || !c.mainScrollView || !c.powerButtons[4]) return std::string();
        c.mainScrollView->verticalScrollBar()->setValue(0);
        auto* toggle = c.powerButtons[4].data();
        c.zenSettingsPanel->moveTopLeft(toggle->mapToGlobal(toggle->rect().center()) -
                                        QPoint(60, 40));
        return std::string("click 2003\n");
    });
    EXPECT_NE(
        r.err.find(
            "then.nls:1: the button \"LG TV SSCR2 화면 끄기\" is covered by the window \"명상 "
            "설정\""),
        std::string::npos)
        << r.err;

    // The menu bar under Zen's window: the status item cannot be clicked, the menu stays shut.
    r = run(
        "advance 1\nclick \"🧘♂️ 명상\"\nadvance 0.1\ntype \"명상 시간:\" 1\nadvance "
        "0.3\n"
        "click-status-item right\n");
    EXPECT_NE(r.err.find("test.nls:6: the status item is covered by the zen window"),
              std::string::npos)
        << r.err;
    // With the lid closed the menu bar is on the display the system made main.
    r = run("advance 1\nlid close\nadvance 1\nclick-status-item right\nmenu \"검정 화면 "
            "해제\"\n");
    EXPECT_EQ(r.status, 0) << r.err;
}

TEST(RealInput, ReturnPressesStartInTheSettingsPanelsAfterTypingAndAfterTab) {
    // Typed, then Return: the field ends its editing and the panel's default button starts.
    auto r = run(
        "advance 1\nclick \"🧘♂️ 명상\"\nadvance 0.1\ntype \"명상 시간:\" 90\nadvance "
        "0.3\n"
        "state\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(at(r.states[0], {"zen", "isZenModeActive"}), true);
    EXPECT_EQ(at(r.states[0], {"zen", "zenSecondsRemaining"}), 3600);
    // Tab moves the focus on; Return still presses Start.
    r = run(
        "advance 1\nclick \"🧘♂️ 명상\"\nadvance 0.1\nkey 48 local\nkey 36 local\nadvance "
        "0.3\n"
        "state\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(at(r.states[0], {"zen", "isZenModeActive"}), true);
    EXPECT_EQ(at(r.states[0], {"zen", "zenSecondsRemaining"}), 180);

    r = run("advance 1\nclick \"🍅 포모도로\"\nadvance 0.1\ntype \"휴식 시간:\" 7\nadvance 0.1\n"
            "state\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(at(r.states[0], {"pomodoro", "isPomodoroActive"}), true);
    EXPECT_EQ(at(r.states[0], {"pomodoro", "breakDuration"}), 420);
    EXPECT_EQ(at(r.states[0], {"defaults", "pomodoroBreakValue"}), 7);
    r = run("advance 1\nclick \"🍅 포모도로\"\nadvance 0.1\nkey 48 local\nkey 48 local\n"
            "key 36 local\nadvance 0.1\nstate\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(at(r.states[0], {"pomodoro", "isPomodoroActive"}), true);
    EXPECT_EQ(at(r.states[0], {"pomodoro", "focusDuration"}), 1500);
}

TEST(RealInput, FirstChargeLimitSwitchOnThroughInstallEndsWithTheLimitEnforced) {
    // The person takes their time over the install alert and the password prompt: the card
    // refreshes meanwhile, while the file still holds nothing.
    auto r = run("advance 1\nclick \"🔋 배터리 충전 제한\"\nadvance 6\nalert 설치\nadvance 6\n"
                 "admin-prompt accept\nadvance 0.1\nstate\nadvance 12\nstate\n");
    ASSERT_EQ(r.status, 0) << r.err;
    for (const auto& s : r.states) {
        EXPECT_EQ(at(s, {"files", "limit"}), "80");
        EXPECT_EQ(at(s, {"power", "appliedLimit"}), 80);
        EXPECT_EQ(chargeLimitShown(s), "on 80%");
    }
    EXPECT_EQ(at(r.states[1], {"helper", "limit"}), 80) << "the helper enforces it";

    // Cancelled at the prompt after a while: off, and nothing written.
    r = run("advance 1\nclick \"🔋 배터리 충전 제한\"\nadvance 6\nalert 설치\nadvance 6\n"
            "admin-prompt cancel\nadvance 6\nstate\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(at(r.states[0], {"files", "limit"}), QJsonValue::Null);
    EXPECT_EQ(chargeLimitShown(r.states[0]), "off 꺼짐");
}

TEST(RealInput, AHotkeyRecordedOnOneOfTwoIdenticalMonitorsIsThatMonitorsAlone) {
    QTemporaryDir profile;
    // The second DELL's pill clicked, then ⇧⌘K: that monitor answers it, its twin keeps ⌃⌥⌘2.
    auto r = run("advance 1\nclick ⌃⌥⌘3\nkey 40 local 768\nadvance 0.1\nstate\n"
                 "hotkey 40 768\nadvance 0.5\nstate\nhotkey 40 768\nadvance 0.5\n",
                 profile.path().toStdString());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(at(r.states[0], {"hotkeys", "buttons", "3", "title"}), "⇧⌘K");
    EXPECT_EQ(at(r.states[0], {"hotkeys", "buttons", "2", "title"}), "⌃⌥⌘2");
    EXPECT_TRUE(at(r.states[1], {"poweredOff"}).toObject().contains("3"));
    EXPECT_FALSE(at(r.states[1], {"poweredOff"}).toObject().contains("2"));

    // Both keep their own across a restart.
    r = run("advance 1\nstate\nhotkey 19 6400\nadvance 0.5\nstate\n", profile.path().toStdString());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(at(r.states[0], {"hotkeys", "buttons", "3", "title"}), "⇧⌘K");
    EXPECT_EQ(at(r.states[0], {"hotkeys", "buttons", "2", "title"}), "⌃⌥⌘2");
    EXPECT_TRUE(at(r.states[1], {"poweredOff"}).toObject().contains("2"));
    EXPECT_FALSE(at(r.states[1], {"poweredOff"}).toObject().contains("3"));

    // A profile from before, with the name's keys only: the first twin holds them, and what it
    // records next goes there too; the second keeps its default throughout.
    QTemporaryDir older;
    r = run(
        "default \"hotkeyCode.DELL U2723QE\" 40\ndefault \"hotkeyModifiers.DELL U2723QE\" 768\n",
        older.path().toStdString());
    ASSERT_EQ(r.status, 0) << r.err;
    r = run("advance 1\nstate\nclick ⇧⌘K\nkey 14 local 256\nadvance 0.1\nstate\n",
            older.path().toStdString());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(at(r.states[0], {"hotkeys", "buttons", "2", "title"}), "⇧⌘K");
    EXPECT_EQ(at(r.states[0], {"hotkeys", "buttons", "3", "title"}), "⌃⌥⌘3");
    EXPECT_EQ(at(r.states[1], {"hotkeys", "buttons", "2", "title"}), "⌘E");
    EXPECT_EQ(at(r.states[1], {"hotkeys", "buttons", "3", "title"}), "⌃⌥⌘3");
    EXPECT_EQ(at(r.states[1], {"defaults", "hotkeyCode.DELL U2723QE"}), 14);
}

TEST(RealInput, TheControlWindowKeepsItsWholeFrameInsideTheUsableArea) {
    // The host keeps ordinary windows in 600 x 900 at (40, 30). Moved low with every card folded,
    // then a card unfolded: it grows upwards rather than run off the bottom. Moved above the
    // area (a window manager placing a rebuilt window by its content), it comes back down, and
    // a reopen after folding stays inside too.
    const std::string foldAll =
        "collapse collapseDisplay_builtin\ncollapse collapseDisplay_external_2\n"
        "collapse collapseDisplay_external_3\ncollapse collapseDisplay_external_4\n"
        "collapse collapseSystemCard\ncollapse collapseRemoteCard\n"
        "collapse collapseBatteryCard\nadvance 1\n";
    auto r = run("advance 1\n" + foldAll, {}, [] {
        auto* server = dynamic_cast<sim::SimWindowServer*>(platform::current().windowServer);
        if (server) server->setOrdinaryWindowArea(platform::Rect{40, 30, 600, 900});
        auto& window = *BlackoutController::shared().controlWindow;
        window.moveTopLeft(QPoint(40, 930 - window.widget()->frameGeometry().height()));
        return std::string("state\ncollapse collapseSystemCard\nadvance 1\nstate\n");
    });
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(r.states.size(), 2u) << r.err;
    ASSERT_EQ(r.states.size(), 2u);
    const auto before = at(r.states[0], {"controlWindow", "frame"}).toArray();
    const auto after = at(r.states[1], {"controlWindow", "frame"}).toArray();
    EXPECT_GT(after[3].toInt(), before[3].toInt()) << "the card unfolded";
    EXPECT_LE(after[1].toInt() + after[3].toInt(), 930);
    EXPECT_GE(after[1].toInt(), 30);

    r = run("advance 1\n" + foldAll, {}, [] {
        auto* server = dynamic_cast<sim::SimWindowServer*>(platform::current().windowServer);
        if (server) server->setOrdinaryWindowArea(platform::Rect{40, 30, 600, 900});
        BlackoutController::shared().controlWindow->widget()->move(40, -20);
        return std::string("state\nclose-window\nreopen\nadvance 1\nstate\n");
    });
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(r.states.size(), 2u);
    for (const auto& s : r.states) {
        const auto frame = at(s, {"controlWindow", "frame"}).toArray();
        EXPECT_GE(frame[1].toInt(), 30);
        EXPECT_LE(frame[1].toInt() + frame[3].toInt(), 930);
    }
}

TEST(RealInput, NewcomersFaultsWithTheMouse) {
    // A switched-off monitor unplugged, then switched on from its tile: its tile and card go.
    auto r = run("advance 1\npower-tile 4\nunplug 4\nadvance 1\nstate\npower-tile 4\nadvance 0.1\n"
                 "state\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(at(r.states[0], {"powerTiles"}).toObject().contains("4")) << "listed while off";
    EXPECT_FALSE(at(r.states[1], {"powerTiles"}).toObject().contains("4"));
    EXPECT_TRUE(at(r.states[1], {"poweredOff"}).toObject().isEmpty());

    // "Main Display" chosen for a mirroring display: it stops mirroring and is main at (0, 0).
    r = run(
        "advance 1\npopup 4002 \"화면 미러링\"\nadvance 1\nstate\npopup 4002 \"주 디스플레이\"\n"
        "advance 1\nstate\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(at(r.states[0], {"displayConfig", "3", "mirrorOf"}), 1);
    EXPECT_EQ(at(r.states[1], {"displayConfig", "3", "mirrorOf"}), QJsonValue::Null);
    EXPECT_EQ(at(r.states[1], {"displayConfig", "3", "main"}), true);
    EXPECT_EQ(at(r.states[1], {"displayConfig", "3", "origin"}), (QJsonArray{0, 0}));

    // A notification is stamped with the machine's clock, as its menu bar's clock reads.
    r = run("advance 1\nclick \"🍅 포모도로\"\nadvance 0.1\ntype \"집중 시간:\" 1\nadvance 0.1\n"
            "advance 60\nstate\n");
    ASSERT_EQ(r.status, 0) << r.err;
    const auto notes = at(r.states[0], {"notifications"}).toArray();
    ASSERT_FALSE(notes.isEmpty());
    // The default machine starts at 09:00 local time; the host's clock plays no part.
    const int minute = 9 * 60 + int(notes.last().toObject()["time"].toDouble()) / 60;
    EXPECT_EQ(
        notes.last().toObject()["clock"].toString(),
        QString("%1:%2").arg(minute / 60, 2, 10, QChar('0')).arg(minute % 60, 2, 10, QChar('0')));
}
