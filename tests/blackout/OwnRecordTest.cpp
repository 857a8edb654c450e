// A display's record of the brightness to come back to is what that monitor itself had, known
// from its link: never a value it refused, a twin's value, or a guess written back onto it.

#include "appkit/Slider.h"
#include "blackout/RecoveryJournal.h"
#include "platform/SystemPaths.h"
#include "support/PowerTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

std::string journalPath() {
    return platform::current().paths->map(BlackoutController::recoveryJournalPath);
}

std::optional<RecoveryJournal::DarkDisplay> onDisk(DisplayID id) {
    RecoveryJournal disk(journalPath(), nullptr);
    return disk.record(id);
}

void damageJournal() {
    const auto path = QString::fromStdString(journalPath());
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("{\"displays\":[");
}

// The person drags a display's slider.
void moveSlider(BlackoutController& c, DisplayID id, float value) {
    for (const auto& [tag, d] : c.sliderDisplays)
        if (d.id == id) {
            auto* slider = appkit::viewWithTag<appkit::Slider>(c.controlWindow->contentView(), tag);
            ASSERT_TRUE(slider);
            slider->setDoubleValue(value);
            c.brightnessChanged(*slider);
            return;
        }
    FAIL() << "no slider for display " << id;
}

bool logSays(platform::SystemLog& log, const std::string& part) {
    for (const auto& line : log.lines())
        if (line.find(part) != std::string::npos) return true;
    return false;
}

} // namespace

TEST_F(AppTest, AfterARestartARestoreLandsOnlyWhenReadBackOnTheMonitorsOwnScale) {
    QTemporaryDir profile;
    auto m = sim::VirtualMac::defaultDescription();
    m.displays[2].monitor->vcp[0x10] = {128, 255};
    boot(m, {.profileDir = profile.path().toStdString()});
    launch();
    controller().toggleDisplayPowerByID(2);
    controller().toggleDisplayPowerByID(3);
    advance(0.5);
    ASSERT_EQ(monitor(2).vcp(0x10)->current, 0);
    ASSERT_EQ(monitor(3).vcp(0x10)->current, 0);

    // Killed; at the next start 2 acknowledges writes without taking them and its first replies
    // carry bad checksums, and 3's first replies carry no value of the code asked.
    m.displays[1].monitor->dropsWrites = true;
    m.displays[1].monitor->badChecksums = 12;
    m.displays[2].monitor->strayReplies = 12;
    boot(m, {.profileDir = profile.path().toStdString()});
    launch();
    advance(0.5);
    EXPECT_EQ(monitor(2).vcp(0x10)->current, 0);
    ASSERT_TRUE(onDisk(2)) << "a read-back that failed is no landing";
    EXPECT_FALSE(logSays(log(), "DELL U2723QE brought back"));
    advance(10);
    EXPECT_EQ(monitor(3).vcp(0x10)->current, 128) << "on its own scale, not 55 of 100";
    EXPECT_FALSE(onDisk(3));
    monitor(2).setDropsWrites(false);
    advance(70);
    EXPECT_EQ(monitor(2).vcp(0x10)->current, 50);
    EXPECT_TRUE(controller().recoveryJournal->empty());
}

TEST_F(AppTest, AMonitorIsLoweredOverItsLinkOnlyOnceItsRecordIsOnDiskAsTaken) {
    QTemporaryDir profile;
    auto m = sim::VirtualMac::defaultDescription();
    // 2 acknowledges writes, but no read of it ever succeeds: what it holds is never known.
    m.displays[1].monitor->badChecksums = 1'000'000;
    boot(m, {.profileDir = profile.path().toStdString()});
    launch();
    auto& c = controller();
    c.toggleDisplayPowerByID(3);
    // Before any frame went out, the disk says it may take the darkening.
    ASSERT_TRUE(onDisk(3));
    EXPECT_TRUE(onDisk(3)->answered);
    c.toggleDisplayPowerByID(2);
    advance(0.5);
    EXPECT_EQ(monitor(2).vcp(0x10)->current, 50) << "darkened by its gamma table alone";
    EXPECT_EQ(mac().brightness().gamma(2).kind(), "black");
    EXPECT_EQ(monitor(3).vcp(0x10)->current, 0);

    // Killed: the next start lights 3 and writes nothing of a guess to 2.
    m.displays[1].monitor->badChecksums = 0;
    boot(m, {.profileDir = profile.path().toStdString()});
    launch();
    advance(1);
    EXPECT_EQ(monitor(3).vcp(0x10)->current, 70);
    EXPECT_EQ(monitor(2).vcp(0x10)->current, 50);
    EXPECT_TRUE(controller().recoveryJournal->empty());
}

TEST_F(AppTest, TwinsThatIdentityCannotTellApartNeverTakeEachOthersRecordOrValue) {
    QTemporaryDir profile;
    auto m = sim::VirtualMac::defaultDescription();
    m.displays[1].info.set("DisplaySerialNumber", int64_t(0));
    m.displays[2].info.set("DisplaySerialNumber", int64_t(0));
    boot(m, {.profileDir = profile.path().toStdString()});
    launch();
    auto& c = controller();
    // The person sets 2 to 0.4 (the name's stored keys), then switches it off; killed.
    moveSlider(c, 2, 0.4f);
    advance(0.5);
    c.toggleDisplayPowerByID(2);
    advance(0.5);
    ASSERT_EQ(monitor(2).vcp(0x10)->current, 0);

    // The next start without 2: its twin 3 is no new ID of it.
    auto without2 = m;
    without2.displays[1].online = false;
    boot(without2, {.profileDir = profile.path().toStdString()});
    launch();
    advance(1);
    EXPECT_EQ(monitor(3).vcp(0x10)->current, 70);
    EXPECT_TRUE(controller().recoveryJournal->hasRecord(2)) << "kept for its own monitor";
    EXPECT_NE(controller().currentBrightnesses[3], 0.4f) << "2's stored value is not 3's";
    mac().plug(2);
    advance(1);
    EXPECT_EQ(monitor(2).vcp(0x10)->current, 33);
    EXPECT_TRUE(controller().recoveryJournal->empty());

    // In one run: 2 off and unplugged, Escape, another screen change, 2 plugged back.
    auto& k = controller();
    k.toggleDisplayPowerByID(2);
    advance(0.5);
    mac().unplug(2);
    advance(0.5);
    mac().input().pressKeyInOtherApplication(53);
    advance(0.5);
    mac().unplug(4);
    advance(0.5);
    EXPECT_EQ(monitor(3).vcp(0x10)->current, 70);
    mac().plug(2);
    advance(1);
    EXPECT_EQ(monitor(2).vcp(0x10)->current, 33);
    EXPECT_TRUE(k.recoveryJournal->empty());

    // A damaged journal at the next start, 3 left dimmed: back to its own last value, not 2's.
    monitor(3).setVcp(0x10, {31, 100});
    boot(m, {.profileDir = profile.path().toStdString()});
    damageJournal();
    monitor(3).setVcp(0x10, {31, 100});
    launch();
    advance(1);
    EXPECT_EQ(monitor(3).vcp(0x10)->current, 70);
    EXPECT_EQ(monitor(2).vcp(0x10)->current, 33);
}

TEST_F(PowerTest, AValueTheMonitorRefusedIsNeverItsRecord) {
    auto& c = controller();
    // 2 does not answer while the person moves its slider; it still holds 50.
    monitor(2).setAnswers(false);
    moveSlider(c, 2, 0.41f);
    advance(1);
    monitor(2).setAnswers(true);
    c.startZenMode(1);
    advance(61);
    EXPECT_EQ(luminance(2), 50);
    c.toggleDisplayPowerByID(2);
    advance(0.5);
    c.toggleDisplayPowerByID(2);
    advance(0.5);
    EXPECT_EQ(luminance(2), 50);

    // Refused again, and still silent when Zen begins and answering before it ends: its own
    // brightness is not lowered over its link, nor a guess written back.
    monitor(2).setAnswers(false);
    moveSlider(c, 2, 0.8f);
    advance(1);
    c.startZenMode(1);
    advance(5);
    EXPECT_TRUE(hasOverlay(2));
    monitor(2).setAnswers(true);
    advance(60);
    EXPECT_EQ(luminance(2), 50);
    EXPECT_FALSE(hasOverlay(2));
    EXPECT_TRUE(c.recoveryJournal->empty());

    // Acknowledged without being taken, and the switch-off's read fails: the acknowledgement is
    // no record of a monitor that answers reads; it comes back at what it held.
    monitor(2).setDropsWrites(true);
    moveSlider(c, 2, 0.9f);
    advance(1);
    monitor(2).setBadChecksums(20);
    c.toggleDisplayPowerByID(2);
    advance(0.5);
    monitor(2).setDropsWrites(false);
    monitor(2).setBadChecksums(0);
    c.toggleDisplayPowerByID(2);
    advance(2);
    EXPECT_EQ(luminance(2), 50);
    EXPECT_EQ(mac().brightness().gamma(2).kind(), "identity");
}

TEST_F(AppTest, AMonitorThatCouldNotBeReadKeepsItsOwnBrightness) {
    QTemporaryDir profile;
    auto m = sim::VirtualMac::defaultDescription();
    // 3's first replies carry bad checksums: neither the launch nor the switch-off reads it.
    m.displays[2].monitor->badChecksums = 9;
    boot(m, {.profileDir = profile.path().toStdString()});
    launch();
    auto& c = controller();
    c.toggleDisplayPowerByID(3);
    advance(0.5);
    c.toggleDisplayPowerByID(3);
    advance(0.5);
    EXPECT_EQ(monitor(3).vcp(0x10)->current, 70);
    EXPECT_EQ(mac().brightness().gamma(3).kind(), "identity");

    // A TV that never answered when Zen darkened it, killed; at the next start it answers.
    c.startZenMode(1);
    advance(1);
    ASSERT_TRUE(onDisk(4));
    m.displays[2].monitor->badChecksums = 0;
    m.displays[3].monitor->answers = true;
    m.displays[3].monitor->vcp[0x10] = {80, 100};
    boot(m, {.profileDir = profile.path().toStdString()});
    launch();
    advance(2);
    EXPECT_EQ(monitor(4).vcp(0x10)->current, 80);
    EXPECT_EQ(monitor(2).vcp(0x10)->current, 50);
    EXPECT_TRUE(controller().recoveryJournal->empty());
}

TEST_F(PowerTest, APanelOfflineWhenFocusDimmingEndsIsLitWhenTheLidOpensInTheBreak) {
    auto& c = controller();
    c.startPomodoro(1, 1, 1);
    advance(40, 0.5);
    mac().setLidClosed(true);
    advance(25, 0.5);
    ASSERT_EQ(c.pomodoroPhase, BlackoutController::PomodoroPhase::breakTime);
    mac().setLidClosed(false);
    advance(1);
    EXPECT_FLOAT_EQ(panel(), 0.8f);
}

TEST_F(AppTest, RecordsFollowTheirOwnMonitorsAcrossIDsAndAreNeverSpentOnAnother) {
    QTemporaryDir profile;
    const std::string dir = profile.path().toStdString();
    auto m = sim::VirtualMac::defaultDescription();
    boot(m, {.profileDir = dir});
    launch();
    controller().toggleDisplayPowerByID(2);
    controller().toggleDisplayPowerByID(3);
    advance(0.5);

    // Killed; the twins come back on each other's ports, so each has the other's ID.
    auto swapped = m;
    swapped.displays[1].info.set("DisplaySerialNumber", int64_t(810504013));
    swapped.displays[2].info.set("DisplaySerialNumber", int64_t(810504012));
    boot(swapped, {.profileDir = dir});
    launch();
    advance(1);
    EXPECT_EQ(monitor(2).vcp(0x10)->current, 70);
    EXPECT_EQ(monitor(3).vcp(0x10)->current, 50);
    EXPECT_TRUE(controller().recoveryJournal->empty());

    // Another monitor now has the ID of a kept record: switched off and on, it comes back at
    // its own brightness, and the record waits for its own monitor.
    {
        const auto path = QString::fromStdString(journalPath());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(R"({"displays":[{"id":"3","name":"DELL U2723QE","builtIn":false,"brightness":0.9,
            "reason":"off","identity":"4268:16826:999"}]})");
    }
    boot(swapped, {.profileDir = dir});
    launch();
    auto& c = controller();
    c.toggleDisplayPowerByID(3);
    advance(0.5);
    c.toggleDisplayPowerByID(3);
    advance(1);
    EXPECT_EQ(monitor(3).vcp(0x10)->current, 50);
    ASSERT_EQ(c.recoveryJournal->displays().size(), 1u);
    EXPECT_FLOAT_EQ(c.recoveryJournal->displays()[0].brightness, 0.9f);

    // Its own monitor is back on that ID at the next start (at 0, as it was left): lit.
    auto own = m;
    own.displays[2].info.set("DisplaySerialNumber", int64_t(999));
    boot(own, {.profileDir = dir});
    monitor(3).setVcp(0x10, {0, 100});
    launch();
    advance(1);
    EXPECT_EQ(monitor(3).vcp(0x10)->current, 89);
    EXPECT_TRUE(controller().recoveryJournal->empty());
}
