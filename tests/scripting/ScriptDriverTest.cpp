#include "backend/scripting/ScriptDriver.h"
#include "backend/scripting/Session.h"
#include "platform/sim/VirtualMac.h"

#include "platform/SystemPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

struct ScriptRun {
    int status;
    std::string out, err;
};

ScriptRun run(const std::string& script) {
    scripting::Session session(sim::VirtualMac::defaultDescription(), {});
    session.launch();
    std::ostringstream out, err;
    scripting::ScriptDriver driver(session, out, err);
    int status = driver.runText(script, "test.nls");
    return {status, out.str(), err.str()};
}

} // namespace

TEST(ScriptDriver, BadInputNamesTheLineAndSaysWhatWasExpected) {
    struct Case {
        const char* script;
        const char* message;
    };
    const Case cases[] = {
        {"advance 1\nbrightness 2\n", "test.nls:2: brightness takes a display ID and a value"},
        {"brightness 9 0.5\n", "test.nls:1: display 9 is not online"},
        {"volume two 0.5\n", "volume takes a display ID and a value"},
        {"gamma-blackout 7\n", "display 7 is not online"},
        {"ambient 1.5\n", "ambient takes a light level from 0 to 1"},
        {"key 53 somewhere\n", "key takes a key code, local or global"},
        {"key 40 local 1024\n", "Carbon modifier mask made of 256"},
        {"hotkey 18\n", "hotkey takes a key code (0 to 65535) and"},
        {"flags ctrl\n", "flags takes a Carbon modifier mask"},
        {"advance 1\nclick-window protector\n", "test.nls:2: no protector window is shown"},
        {"power-tile 9\n", "display 9 has no power tile"},
        {"system-theme purple\n", "system-theme takes dark or light"},
        {"keyboard-backlight dim\n", "keyboard-backlight takes off or restore"},
        // Numbers must be finite and in range; a hang or NaN must never reach the program.
        {"advance inf\n", "test.nls:1: advance takes a number of seconds from 0 to 86400"},
        {"advance 1e300\n", "advance takes a number of seconds"},
        {"advance -1\n", "advance takes a number of seconds"},
        {"brightness 2 NaN\n", "brightness takes a display ID and a value from 0 to 1"},
        {"volume 2 nan\n", "volume takes a display ID and a value from 0 to 1"},
        {"brightness 2 1.5\n", "brightness takes a display ID and a value from 0 to 1"},
        {"ambient NaN\n", "ambient takes a light level from 0 to 1"},
        {"power-toggle 999\n", "test.nls:1: display 999 is not connected"},
        {"power-toggle -1\n", "power-toggle needs a display ID"},
        {"default someKey 1e999\n", "default takes a finite number"},
        // Alerts are answered by the line after the one that opened them.
        {"advance 1\nclick-status-item right\nmenu 업데이트 확인...\n",
         "test.nls:3: the script ended with the alert \"You’re up to date!\" open"},
        {"advance 1\nclick-status-item right\nmenu 업데이트 확인...\nalert Cancel\n",
         "the alert \"You’re up to date!\" has no button \"Cancel\" (it has \"확인\")"},
        {"alert OK\n", "no alert is open to answer"},
        {"advance 1\nslider 1001 2\n", "slider takes a value from"},
        {"advance 1\nclick Nothing\n",
         "no window shows a button, checkbox, segment or clickable image titled"},
        {"advance 1\npopup \"사운드 출력 기기\" Nowhere\n", "has no item \"Nowhere\""},
        {"advance 1\ncollapse noSuchCard\n", "no window shows a card with the collapse key"},
        {"default-output Gramophone\n", "no sound output device is called \"Gramophone\""},
        {"scaling 1\n", "scaling takes a display ID and an option index from 0"},
        {"advance 1\nclose-window\nscaling 1 2\n", "scaling needs the control window on screen"},
        {"advance 1\nscaling 4 0\n", "display 4 shows no scaling option 0"},
        {"advance 1\nscaling 1 40\n", "display 1 shows no scaling option 40"},
        {"configuration-fails sometimes\n", "configuration-fails takes none, begin, configure"},
        {"screenshot-window Nowhere /tmp/x.png\n", "no open window is titled \"Nowhere\""},
        {"screenshot-window\n", "screenshot-window takes a window's title and a file name"},
        {"advance 1\ntype 9 5\n", "no window shows a field labelled \"9\" or an editable field"},
        {"advance 1\nclick \"🍅 포모도로\"\nadvance 0.1\ntype 4 5\n",
         "test.nls:4: no window shows a field labelled \"4\" or an editable field"},
        {"advance 1\nzoom-screen 9\n", "test.nls:2: zoom-screen: display 9 is not connected"},
        {"advance 1\nclick-status-item right\nmenu \"Quit Now\"\n",
         "test.nls:3: the status menu has no item \"Quit Now\""},
    };
    for (const auto& c : cases) {
        auto r = run(c.script);
        EXPECT_EQ(r.status, 1) << c.script;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.script << " said: " << r.err;
    }
}

TEST(ScriptDriver, CommandsActAndTheStateShowsIt) {
    auto r = run("advance 1\n"
                 "brightness 3 0.0\n"
                 "power-toggle 2\n"
                 "advance 0.2\n"
                 "expect /screens/3/overlayAlpha 0.95\n"
                 "expect /screens/2/gamma \"black\"\n"
                 "expect /screens/2/gamma \"identity\"\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("test.nls:7: expectation failed: /screens/2/gamma is \"black\", "
                         "expected \"identity\""),
              std::string::npos)
        << r.err;

    // A huge whole number is stored as a Float, never cast out of range.
    r = run("default big 1e300\ndefault count 42\nexpect /defaults/count 42\n");
    EXPECT_EQ(r.status, 0) << r.err;

    // A menu item's title in quotes, as every other command takes one.
    r = run("advance 1\nclick-status-item right\nmenu \"수명 보호 모드 켜기\"\n"
            "expect /isProtecting true\n");
    EXPECT_EQ(r.status, 0) << r.err;

    r = run("advance 1\nsystem-appearance dark\nstate\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\"systemAppearance\":\"dark\""), std::string::npos);
    EXPECT_NE(r.out.find("\"cursorHideCount\":0"), std::string::npos);
}

TEST(ScriptDriver, QuotedDefaultKeysAndScriptFilesOfAnyKind) {
    auto r = run("advance 1\ndefault \"hotkeyCode.LG TV SSCR2\" 10\n"
                 "expect \"/defaults/hotkeyCode.LG TV SSCR2\" 10\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(run("default \"hotkeyCode.LG TV SSCR2 10\n").status, 0) << "an unclosed quote";
    r = run("state standby\n");
    EXPECT_NE(r.err.find("state takes no argument, not \"standby\""), std::string::npos) << r.err;
    // expect reads the log lines the next state would print.
    r = run("advance 1\nstate\npower-toggle 2\nexpect /log/0 \"DisplayEngine display=Built-in "
            "Liquid Retina XDR Display id=1 builtIn=1 ddc=0\"\n");
    EXPECT_EQ(r.status, 0) << r.err;

    // A script that cannot be read, or never ends, is bad input (2), refused before it runs.
    scripting::Session session(sim::VirtualMac::defaultDescription(), {});
    std::ostringstream out, err;
    scripting::ScriptDriver driver(session, out, err);
    EXPECT_EQ(driver.runFile("/nonexistent/script.nls"), 2);
    EXPECT_EQ(driver.runFile("/dev/zero"), 2);
    EXPECT_NE(err.str().find("script /dev/zero is a character device"), std::string::npos)
        << err.str();
    std::string error;
    EXPECT_FALSE(sim::VirtualMac::load("/dev/zero", &error));
    EXPECT_EQ(error, "machine description /dev/zero is a character device");

    // A pipe is a script as long as its writer sends it and closes it (--script <(...)).
    QTemporaryDir dir;
    const std::string fifo = dir.path().toStdString() + "/script";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::thread writer([&] {
        const int fd = ::open(fifo.c_str(), O_WRONLY);
        const std::string text = "advance 1\nexpect /terminated false\n";
        if (fd >= 0 && ::write(fd, text.data(), text.size()) > 0) ::close(fd);
    });
    session.launch();
    EXPECT_EQ(driver.runFile(fifo), 0) << err.str();
    writer.join();

    // A FIFO where the limit file belongs never holds up state.
    const std::string limit =
        session.mac().platform().paths->map("/Library/Application Support/Nightlid/limit.txt");
    QDir().mkpath(QFileInfo(QString::fromStdString(limit)).absolutePath());
    ASSERT_EQ(::mkfifo(limit.c_str(), 0600), 0);
    out.str("");
    EXPECT_EQ(driver.runText("state\n", "state.nls"), 0) << err.str();
    EXPECT_NE(out.str().find("\"limit\":null"), std::string::npos);
}

TEST(ScriptDriver, TheWheelOverAnyControlScrollsTheWindowAndChangesNothingElse) {
    // Pop-ups (arrangement, resolution, sound output) and sliders, down and back up.
    auto r = run("advance 1\nstate\n"
                 "wheel 4001 3\nwheel 1001 -2\nwheel 1002 5\nwheel \"사운드 출력 기기\" 2\n"
                 "wheel 5003 1\nwheel 3003 4\nadvance 1\nstate\n"
                 "wheel 3003 -20\nadvance 1\nstate\n");
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<QJsonObject> states;
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);)
        if (!line.empty() && line[0] == '{')
            states.push_back(QJsonDocument::fromJson(QByteArray::fromStdString(line)).object());
    ASSERT_EQ(states.size(), 3u);
    auto without = [](QJsonObject s, std::initializer_list<const char*> keys) {
        for (auto* k : keys)
            s.remove(k);
        return s;
    };
    // Only the scroll position and what is read off the clock differ.
    const auto volatileKeys = {"time", "log", "controlWindow", "ddc", "monitors", "standby"};
    EXPECT_EQ(without(states[1], volatileKeys), without(states[0], volatileKeys));
    auto at = [](const QJsonObject& s, std::initializer_list<const char*> path) {
        QJsonValue v = s;
        for (auto* p : path)
            v = v.toObject().value(QString(p));
        return v;
    };
    for (auto* id : {"2", "3", "4"})
        EXPECT_EQ(at(states[1], {"monitors", id, "0x10"}), at(states[0], {"monitors", id, "0x10"}))
            << id;
    EXPECT_GT(at(states[1], {"controlWindow", "scrollY"}).toInt(), 0) << "scrolled down";
    EXPECT_EQ(at(states[2], {"controlWindow", "scrollY"}).toInt(), 0) << "and back to the top";

    // The pointer rests only where the control is shown: the window is scrolled to it first.
    r = run("advance 1\nwheel 3003 20\nwheel 1000 -1\n");
    EXPECT_NE(r.err.find("test.nls:3: the slider 1000 is outside the visible part of its scroll "
                         "view"),
              std::string::npos)
        << r.err;
    r = run("advance 1\nwheel 1001 0\n");
    EXPECT_NE(r.err.find("wheel takes a control's tag or title"), std::string::npos) << r.err;
    r = run("advance 1\nwheel nothing-here 2\n");
    EXPECT_NE(r.err.find("wheel takes a control's tag or title"), std::string::npos) << r.err;
}

TEST(ScriptDriver, NothingOfTheProgramRunsAfterQuit) {
    auto r = run("advance 1\nkeyboard-backlight off\nquit\nexpect /terminated true\nstate\n"
                 "advance 1\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("test.nls:6: the program has quit: only state, expect and screenshot "
                         "may follow quit, not \"advance\""),
              std::string::npos)
        << r.err;
}
