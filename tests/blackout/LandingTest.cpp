// A display's record of the brightness to come back to goes only once that brightness has
// landed: never when the restore is merely asked, nor when it failed.

#include "blackout/RecoveryJournal.h"
#include "platform/SystemPaths.h"
#include "support/PowerTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

// What the journal on disk says of a display (what the next start would bring back), or -1.
float onDisk(DisplayID id) {
    RecoveryJournal disk(platform::current().paths->map(BlackoutController::recoveryJournalPath),
                         nullptr);
    return disk.preDarkBrightness(id).value_or(-1.0f);
}

// The journal's entries, for a failure message.
std::string entries(BlackoutController& c) {
    std::string out;
    for (const auto& e : c.recoveryJournal->displays())
        out += std::to_string(e.id) + " " + e.reason + "; ";
    return out;
}

} // namespace

TEST_F(PowerTest, ARestoreKeepsItsRecordUntilTheMonitorHasTheValue) {
    auto& c = controller();
    c.toggleDisplayPowerByID(2);
    advance(0.5);
    // Asked, not landed: a kill now must leave the record for the next start.
    c.toggleDisplayPowerByID(2);
    EXPECT_FLOAT_EQ(onDisk(2), 0.55f);
    advance(0.5);
    EXPECT_EQ(luminance(2), 50);
    EXPECT_FLOAT_EQ(onDisk(2), -1.0f) << "landed: read back at 50";

    // A monitor that stopped answering: the write fails, the record stays and is tried again
    // after 1, 2, 4 ... seconds; the log never says it came back.
    c.toggleDisplayPowerByID(2);
    advance(0.5);
    monitor(2).setAnswers(false);
    c.toggleDisplayPowerByID(2);
    advance(4);
    EXPECT_FLOAT_EQ(onDisk(2), 0.55f);
    EXPECT_TRUE(log().contains("Recovery: display DELL U2723QE did not take 0.55; trying again "
                               "in 1 s"));
    EXPECT_TRUE(log().contains("Recovery: display DELL U2723QE did not take 0.55; trying again "
                               "in 2 s"));
    monitor(2).setAnswers(true);
    advance(8);
    EXPECT_EQ(luminance(2), 50);
    EXPECT_FLOAT_EQ(onDisk(2), -1.0f);
    EXPECT_TRUE(c.owedLights.empty());

    // One that acknowledges the frames but keeps its value did not take it: read back, the
    // record stays until it does.
    c.toggleDisplayPowerByID(3);
    advance(0.5);
    monitor(3).setDropsWrites(true);
    c.toggleDisplayPowerByID(3);
    advance(0.5);
    EXPECT_EQ(luminance(3), 0);
    EXPECT_FLOAT_EQ(onDisk(3), 0.73f);
    EXPECT_TRUE(log().contains("DisplayEngine DDC read back display=DELL U2723QE value=0 "
                               "wanted=70"));
    monitor(3).setDropsWrites(false);
    advance(3);
    EXPECT_EQ(luminance(3), 70);
    EXPECT_FLOAT_EQ(onDisk(3), -1.0f);
}

TEST_F(PowerTest, AFailedRestoreIsTriedAgainWhenPluggedInOrOnWaking) {
    auto& c = controller();
    c.startZenMode(1);
    advance(1);
    monitor(2).setAnswers(false);
    c.stopZenMode(false);
    advance(0.5);
    EXPECT_FLOAT_EQ(onDisk(2), 0.55f);
    // Long after the retries reached a minute apart, the monitor answers again and the machine
    // wakes: no minute's wait.
    advance(200);
    monitor(2).setAnswers(true);
    mac().wake();
    advance(0.5);
    EXPECT_EQ(luminance(2), 50);
    EXPECT_FLOAT_EQ(onDisk(2), -1.0f);

    c.toggleDisplayPowerByID(3);
    advance(0.5);
    monitor(3).setAnswers(false);
    c.toggleDisplayPowerByID(3);
    advance(200);
    monitor(3).setAnswers(true);
    mac().unplug(3);
    advance(0.5);
    mac().plug(3);
    advance(0.5);
    EXPECT_EQ(luminance(3), 70);
    EXPECT_TRUE(c.recoveryJournal->empty()) << entries(c);
}

TEST_F(PowerTest, APanelOfflineWhenItsFeatureEndsIsLitWhenItComesOnline) {
    auto& c = controller();
    auto openLidAndExpectEverythingLit = [&] {
        mac().setLidClosed(false);
        advance(0.5);
        EXPECT_FLOAT_EQ(panel(), 0.8f);
        EXPECT_EQ(luminance(2), 50);
        EXPECT_TRUE(c.recoveryJournal->empty()) << entries(c);
    };
    ASSERT_FLOAT_EQ(panel(), 0.8f);
    c.start();
    advance(0.5);
    EXPECT_FLOAT_EQ(panel(), 0.0f);
    mac().setLidClosed(true);
    advance(0.5);
    c.stop(); // Escape, with the lid closed
    advance(5);
    EXPECT_FLOAT_EQ(onDisk(1), 0.8f) << "still owed its light";
    mac().setLidClosed(false);
    advance(0.5);
    EXPECT_FLOAT_EQ(panel(), 0.8f);
    EXPECT_TRUE(c.recoveryJournal->empty()) << entries(c);

    // Keep-awake ended with the lid closed.
    c.startRemoteStandbyClicked();
    advance(3);
    mac().setLidClosed(true);
    advance(0.5);
    mac().input().clickInOtherApplication(0);
    advance(0.5);
    EXPECT_FALSE(c.isRemoteStandbyActive);
    EXPECT_FLOAT_EQ(onDisk(1), 0.8f);
    openLidAndExpectEverythingLit();

    // Dimmed through focus's last minute, the lid closed when the break begins and the run
    // ends before it opens.
    c.startPomodoro(1, 1, 1);
    advance(30, 0.5);
    EXPECT_LT(panel(), 0.5f);
    mac().setLidClosed(true);
    advance(31, 0.5);
    ASSERT_EQ(c.pomodoroPhase, BlackoutController::PomodoroPhase::breakTime);
    advance(61, 0.5);
    EXPECT_FALSE(c.isPomodoroActive);
    EXPECT_FLOAT_EQ(onDisk(1), 0.8f);
    openLidAndExpectEverythingLit();
}

TEST_F(AppTest, QuittingWithTheLidClosedLeavesThePanelToTheNextStart) {
    QTemporaryDir profile;
    boot(sim::VirtualMac::defaultDescription(), {.profileDir = profile.path().toStdString()});
    launch();
    auto& c = controller();
    c.start();
    advance(0.5);
    mac().setLidClosed(true);
    advance(0.5);
    delegate().applicationWillTerminate();
    advance(0.5);
    EXPECT_FLOAT_EQ(onDisk(1), 0.8f);
    EXPECT_EQ(monitor(2).vcp(0x10)->current, 50);

    auto machine = mac().description();
    machine.displays[0].online = true; // opened before the next start
    boot(machine, {.profileDir = profile.path().toStdString()});
    launch();
    EXPECT_FLOAT_EQ(mac().description().displays[0].brightness, 0.8f);
    bool said = false;
    for (const auto& line : log().lines())
        said |= line.find("brought back to 0.80 after an unclean exit") != std::string::npos;
    EXPECT_TRUE(said);
    EXPECT_TRUE(controller().recoveryJournal->empty());
}

TEST_F(PowerTest, EscapeBringsBackASwitchedOffDisplayThatIsUnplugged) {
    auto& c = controller();
    c.toggleDisplayPowerByID(2);
    advance(0.5);
    mac().unplug(2);
    advance(0.5);
    mac().input().pressKeyInOtherApplication(53);
    advance(0.5);
    EXPECT_TRUE(c.poweredOffBrightnesses.empty()) << "it left the off list";
    EXPECT_FALSE(c.hasActiveOffMode());
    mac().plug(2);
    advance(0.5);
    EXPECT_EQ(luminance(2), 50);
    EXPECT_EQ(gamma(2), "identity");
    EXPECT_TRUE(c.recoveryJournal->empty()) << entries(c);
}

TEST_F(AppTest, RecoveryLightsOnlyTheMonitorTheRecordIsOf) {
    // Display 2's ID now belongs to another DELL (another serial) than the one the record is of.
    auto m = sim::VirtualMac::defaultDescription();
    m.displays[1].info.set("DisplaySerialNumber", int64_t(999));
    m.displays[1].monitor->vcp[0x10].current = 30;
    boot(m);
    const auto path =
        QString::fromStdString(platform().paths->map(BlackoutController::recoveryJournalPath));
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(R"({"displays":[{"id":"2","name":"DELL U2723QE","builtIn":false,"brightness":0.9,
        "reason":"off","identity":"DELL U2723QE|4268:16826:810504012"}]})");
    f.close();
    launch();
    EXPECT_EQ(monitor(2).vcp(0x10)->current, 30) << "not the other monitor's brightness";
    ASSERT_EQ(controller().recoveryJournal->displays().size(), 1u) << "kept for its own monitor";
    EXPECT_FLOAT_EQ(controller().recoveryJournal->displays()[0].brightness, 0.9f);

    // Its own monitor comes back under another ID: that one is lit.
    boot(sim::VirtualMac::defaultDescription());
    f.setFileName(
        QString::fromStdString(platform().paths->map(BlackoutController::recoveryJournalPath)));
    QDir().mkpath(QFileInfo(f.fileName()).absolutePath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(R"({"displays":[{"id":"7","name":"DELL U2723QE","builtIn":false,"brightness":0.9,
        "reason":"off","identity":"DELL U2723QE|4268:16826:810504013"}]})");
    f.close();
    monitor(3).setVcp(0x10, {0, 100});
    launch();
    EXPECT_EQ(monitor(3).vcp(0x10)->current, 89);
    EXPECT_EQ(monitor(2).vcp(0x10)->current, 50);
    EXPECT_TRUE(controller().recoveryJournal->empty());
}
