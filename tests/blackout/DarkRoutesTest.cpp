// Routes where two darkening features meet, each of which once left a display dark.

#include "blackout/RecoveryJournal.h"
#include "platform/SystemPaths.h"
#include "platform/sim/SimBattery.h"
#include "support/PowerTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

float journalled(BlackoutController& c, DisplayID id, const std::string& reason) {
    for (const auto& e : c.recoveryJournal->displays())
        if (e.id == id && e.reason == reason) return e.brightness;
    return -1;
}

} // namespace

TEST_F(PowerTest, PomodoroBreakAndZenComeBackAtTheBrightnessFromBeforeTheRun) {
    auto& c = controller();
    ASSERT_EQ(luminance(2), 50);
    c.startPomodoro(1, 1, 2);
    advance(30, 0.1); // half-way down the last-minute dimming
    EXPECT_LT(luminance(2), 30);
    EXPECT_FLOAT_EQ(journalled(c, 2, "pomodoro"), 0.55f) << "a crash now brings back 0.55";
    advance(31, 0.1); // the break: monitors off
    ASSERT_TRUE(c.poweredOffBrightnesses.count(2));
    EXPECT_FLOAT_EQ(c.poweredOffBrightnesses[2], 0.55f) << "not the dimmed 0.02";
    EXPECT_FLOAT_EQ(journalled(c, 2, "off"), 0.55f);

    // The hotkey during the break lights the monitor as it was before the run.
    c.toggleDisplayPowerByID(2);
    advance(0.5);
    EXPECT_EQ(luminance(2), 50);
    EXPECT_EQ(gamma(2), "identity");

    // Zen started in the break outlasts it: both end with the monitors lit.
    c.startZenMode(1);
    advance(61, 0.1); // the break runs out, then Zen
    EXPECT_FALSE(c.isZenModeActive);
    c.stopPomodoro(false);
    advance(1);
    EXPECT_EQ(luminance(2), 50);
    EXPECT_EQ(luminance(3), 70);
    EXPECT_FALSE(hasOverlay(2));
    EXPECT_TRUE(c.poweredOffBrightnesses.empty());
    EXPECT_TRUE(c.recoveryJournal->empty());
    EXPECT_GT(defaults().number("lastKnownDisplayBrightness.DELL U2723QE").value_or(1), 0.5)
        << "the dimming is never stored as the brightness to come back to";
}

TEST_F(PowerTest, AMonitorOffBeforeTheRunOrUnpluggedDuringItComesBackLit) {
    auto& c = controller();
    c.toggleDisplayPowerByID(3); // off at 0.73 before the run
    advance(0.5);
    c.startPomodoro(1, 1, 1);
    advance(61, 0.1);
    mac().unplug(2); // during the last break
    advance(0.5);
    advance(60, 0.5); // the run ends
    EXPECT_FALSE(c.isPomodoroActive);
    EXPECT_EQ(luminance(3), 70) << "never black and on";
    EXPECT_EQ(gamma(3), "identity");
    mac().plug(2);
    advance(1);
    EXPECT_EQ(luminance(2), 50);
    EXPECT_EQ(gamma(2), "identity");
    EXPECT_TRUE(c.poweredOffBrightnesses.empty());
    EXPECT_TRUE(c.recoveryJournal->empty());
}

TEST_F(PowerTest, EscapeEndsRemoteStandbyWholeAndQuittingEndsZen) {
    auto& c = controller();
    c.startRemoteStandbyClicked();
    advance(0.5);
    ASSERT_TRUE(c.isRemoteStandbyActive);
    EXPECT_FLOAT_EQ(mac().brightness().keyboards()[0].level, 0.0f);
    mac().input().pressKeyInOtherApplication(53);
    advance(0.5);
    EXPECT_FALSE(c.isRemoteStandbyActive);
    EXPECT_EQ(c.remoteStandbyAssertionID, 0u);
    EXPECT_FLOAT_EQ(mac().brightness().keyboards()[0].level, 0.5f);
    EXPECT_EQ(luminance(2), 50);

    c.startZenMode(5);
    advance(0.5);
    EXPECT_EQ(luminance(2), 0);
    EXPECT_FLOAT_EQ(journalled(c, 2, "zen"), 0.55f);
    delegate().applicationWillTerminate();
    advance(0.5);
    EXPECT_FALSE(c.isZenModeActive);
    EXPECT_EQ(luminance(2), 50);
    EXPECT_EQ(luminance(3), 70);
    EXPECT_TRUE(c.recoveryJournal->empty()) << "nothing left for the next start";
}

TEST_F(PowerTest, AMonitorUnpluggedWhileOffAndBackDuringZenGetsItsOwnGammaBack) {
    auto& c = controller();
    c.startRemoteStandbyClicked(); // every display off, the monitors by a black gamma table too
    advance(0.5);
    ASSERT_EQ(gamma(2), "black");
    c.startZenMode(1);
    advance(0.5);
    mac().unplug(2);
    advance(3);
    mac().input().clickInOtherApplication(0); // the person's click ends the standby
    advance(0.5);
    ASSERT_FALSE(c.isRemoteStandbyActive);
    mac().plug(2); // back while Zen still holds it dark
    advance(0.5);
    EXPECT_EQ(gamma(2), "identity") << "no longer switched off: no black table";
    advance(61, 0.5);
    EXPECT_FALSE(c.isZenModeActive);
    EXPECT_EQ(gamma(2), "identity");
    EXPECT_EQ(luminance(2), 50);
    EXPECT_TRUE(c.poweredOffBrightnesses.empty());
    EXPECT_TRUE(c.recoveryJournal->empty());
}

TEST_F(AppTest, ADamagedJournalNeverLeavesADisplayDark) {
    const std::vector<std::pair<const char*, QByteArray>> journals = {
        {"truncated", R"({"displays":[{"id":"2","brightness":0.5)"},
        {"empty", ""},
        {"garbage", "\x01\x02zz"},
        {"array", "[]"},
        {"too deep", QByteArray(4000, '[')},
        {"id as number", R"({"displays":[{"id":2,"brightness":0.5,"reason":"off"}]})"},
        {"no reason", R"({"displays":[{"id":"2","brightness":0.5}]})"},
        {"brightness 5", R"({"displays":[{"id":"2","brightness":5,"reason":"off"}]})"},
        {"displays not a list", R"({"displays":"oops"})"},
    };
    for (const auto& [what, text] : journals) {
        auto m = sim::VirtualMac::defaultDescription();
        m.displays[1].monitor->vcp[0x10].current = 0; // left dark by the run that wrote it
        boot(m);
        // Kept by this monitor itself (its twin is connected: the name's key is not its own).
        defaults().set("lastKnownDisplayBrightness.DELL U2723QE@2|4268:16826:810504012", 0.64f);
        const auto path =
            QString::fromStdString(platform().paths->map(BlackoutController::recoveryJournalPath));
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        f.close();
        launch();
        EXPECT_EQ(monitor(2).vcp(0x10)->current, 60) << what << ": its stored brightness";
        const auto aside = QDir(QFileInfo(path).absolutePath())
                               .entryList({"recovery.json.damaged-*"}, QDir::Files);
        EXPECT_EQ(aside.size(), 1) << what << ": a copy is kept";
        EXPECT_TRUE(log().contains("Recovery: journal " + path.toStdString() +
                                   " is damaged; a copy "
                                   "is kept as " +
                                   QFileInfo(path).absolutePath().toStdString() + "/" +
                                   aside.value(0).toStdString()))
            << what;
    }

    // A folder where the journal belongs is reported, and the start goes on.
    boot(sim::VirtualMac::defaultDescription());
    const auto path =
        QString::fromStdString(platform().paths->map(BlackoutController::recoveryJournalPath));
    QDir().mkpath(path);
    launch();
    EXPECT_TRUE(log().contains("Recovery: journal " + path.toStdString() +
                               " is not a regular file; it is left as it is"));
}

TEST_F(PowerTest, DisplaysPluggedInOrUnpluggedMidFeatureComeBackAtTheirOwnBrightness) {
    auto& c = controller();
    // Plugged in during focus: it has no starting brightness of the run's.
    mac().unplug(3);
    advance(0.5);
    c.startPomodoro(1, 1, 1);
    advance(1);
    mac().plug(3);
    advance(0.5);
    advance(120, 0.5); // dimming, break, end of the run
    EXPECT_FALSE(c.isPomodoroActive);
    EXPECT_EQ(luminance(3), 70) << "its own brightness, not 0.02 under the overlay";
    EXPECT_FALSE(hasOverlay(3));

    // Unplugged during Zen, plugged back after it ended.
    c.startZenMode(1);
    advance(1);
    mac().unplug(2);
    advance(0.5);
    c.stopZenMode(false);
    advance(0.5);
    EXPECT_EQ(journalled(c, 2, RecoveryJournal::restoreReason), 0.55f);
    mac().plug(2);
    advance(1);
    EXPECT_EQ(luminance(2), 50);
    EXPECT_TRUE(c.recoveryJournal->empty());
}

TEST_F(AppTest, AHugeJournalIsRefusedAtOnce) {
    auto m = sim::VirtualMac::defaultDescription();
    m.displays[1].monitor->vcp[0x10].current = 0;
    boot(m);
    const auto path =
        QString::fromStdString(platform().paths->map(BlackoutController::recoveryJournalPath));
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(R"({"displays":[)");
    for (int i = 0; i < 300000; ++i)
        f.write(
            R"({"id":"2","name":"DELL U2723QE","builtIn":false,"brightness":0.3,"reason":"off"},)");
    f.write(
        R"({"id":"2","name":"DELL U2723QE","builtIn":false,"brightness":0.3,"reason":"off"}]})");
    f.close();
    launch();
    EXPECT_TRUE(log().contains("Recovery: journal " + path.toStdString() +
                               " is too large; a copy " + "is kept as " +
                               QFileInfo(path).absolutePath().toStdString() + "/" +
                               QDir(QFileInfo(path).absolutePath())
                                   .entryList({"recovery.json.damaged-*"}, QDir::Files)
                                   .value(0)
                                   .toStdString()));
    EXPECT_EQ(monitor(2).vcp(0x10)->current, 44) << "dark at start: the fallback 0.5";
    EXPECT_FALSE(QFile::exists(path));
}
