#include "blackout/RecoveryJournal.h"
#include "platform/SystemPaths.h"
#include "support/PowerTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

std::string journalPath() {
    return platform::current().paths->map(BlackoutController::recoveryJournalPath);
}

void writeJournal(const QByteArray& text) {
    const auto path = QString::fromStdString(journalPath());
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
}

} // namespace

TEST_F(PowerTest, JournalHoldsEveryDarkDisplayUntilItIsLitAgain) {
    auto& c = controller();
    c.toggleDisplayPowerByID(2);
    c.brightnessController->dim(1, c.externalDisplayIDs());
    {
        RecoveryJournal onDisk(journalPath(), nullptr);
        ASSERT_EQ(onDisk.displays().size(), 2u) << "on disk before the hardware is touched";
        EXPECT_EQ(onDisk.displays()[0].id, 2u);
        EXPECT_FLOAT_EQ(onDisk.displays()[0].brightness, 0.55f) << "as read from the monitor";
        EXPECT_EQ(onDisk.displays()[1].reason, "dim");
        EXPECT_FLOAT_EQ(onDisk.displays()[1].brightness, 0.8f);
    }
    c.toggleDisplayPowerByID(2);
    c.brightnessController->restore();
    EXPECT_FALSE(c.recoveryJournal->empty()) << "asked, not landed yet";
    advance();
    EXPECT_TRUE(c.recoveryJournal->empty());
    EXPECT_FALSE(QFile::exists(QString::fromStdString(journalPath())));
}

TEST_F(AppTest, LaunchBringsBackWhatAnEarlierRunLeftDarkAndWaitsForUnpluggedDisplays) {
    // The monitor of display 2 answers DDC/CI and sits at 0, as a killed run left it.
    auto m = sim::VirtualMac::defaultDescription();
    m.displays[1].monitor->vcp[0x10].current = 0;
    m.displays[2].online = false;
    boot(m);
    writeJournal(R"({"displays":[
        {"id":"2","name":"DELL U2723QE","builtIn":false,"brightness":0.55,"reason":"off"},
        {"id":"3","name":"DELL U2723QE","builtIn":false,"brightness":0.9,"reason":"off"},
        {"id":"x","brightness":7},
        {"id":"1","name":"","builtIn":true,"brightness":0.4,"reason":"dim"}],
        "keyboards":[{"id":"1","level":0.75}]})");
    launch();

    EXPECT_EQ(monitor(2).vcp(0x10)->current, 50);
    EXPECT_FLOAT_EQ(mac().description().displays[0].brightness, 0.4f);
    EXPECT_FLOAT_EQ(mac().description().keyboardBacklights[0].level, 0.75f);
    EXPECT_TRUE(log().contains("Recovery: display DELL U2723QE brought back to 0.55 after an "
                               "unclean exit"));
    bool damagedNoted = false;
    for (const auto& line : log().lines())
        damagedNoted |= line.find("is damaged; a copy is kept") != std::string::npos;
    EXPECT_TRUE(damagedNoted) << "the unreadable entry is reported, the others still used";

    // The unplugged display keeps its entry until it comes back.
    auto& journal = *controller().recoveryJournal;
    ASSERT_EQ(journal.displays().size(), 1u);
    EXPECT_EQ(journal.displays()[0].id, 3u);
    mac().plug(3);
    advance(0.1);
    EXPECT_TRUE(journal.empty());
    EXPECT_EQ(monitor(3).vcp(0x10)->current, 89) << "0.9 on the DDC range above the overlay's";
}

TEST_F(AppTest, ADamagedJournalLightsDimmedDisplaysAndThosePluggedInLater) {
    auto m = sim::VirtualMac::defaultDescription();
    // 2 was left dimmed (0.28), below its last known 0.64, and does not take a value at first;
    // 3 was left dark and is unplugged at launch.
    m.displays[1].monitor->vcp[0x10].current = 20;
    m.displays[1].monitor->dropsWrites = true;
    m.displays[2].monitor->vcp[0x10].current = 0;
    m.displays[2].online = false;
    boot(m);
    defaults().set("lastKnownDisplayBrightness.DELL U2723QE", 0.64f);
    // Each twin's own, as this version keeps them.
    defaults().set("lastKnownDisplayBrightness.DELL U2723QE@2|4268:16826:810504012", 0.64f);
    defaults().set("lastKnownDisplayBrightness.DELL U2723QE@3|4268:16826:810504013", 0.64f);
    writeJournal("{\"displays\":[{\"id\":");
    launch();
    advance(1);
    EXPECT_EQ(monitor(2).vcp(0x10)->current, 20);
    EXPECT_FLOAT_EQ(defaults().number("lastKnownDisplayBrightness.DELL U2723QE").value_or(0), 0.64f)
        << "the dimmed value is never kept as the one to come back to";
    EXPECT_FLOAT_EQ(defaults().number("displayBrightness.DELL U2723QE").value_or(0.64), 0.64f);
    monitor(2).setDropsWrites(false);
    advance(3);
    EXPECT_EQ(monitor(2).vcp(0x10)->current, 60);
    EXPECT_TRUE(log().contains("Recovery: display DELL U2723QE was dimmed with nothing readable "
                               "in the journal; brought back to 0.64"));

    mac().plug(3);
    advance(1);
    EXPECT_EQ(monitor(3).vcp(0x10)->current, 60);
    EXPECT_TRUE(controller().recoveryJournal->empty());
}

TEST_F(AppTest, AJournalSetAsideUnreadIsTakenBackOnceARunCanReadIt) {
    // An earlier run could not read the journal and set it aside; this run can.
    auto m = sim::VirtualMac::defaultDescription();
    m.displays[1].monitor->vcp[0x10].current = 0;
    boot(m);
    const auto aside = QString::fromStdString(journalPath()) + ".unreadable-20261208101010000";
    const auto damaged = QString::fromStdString(journalPath()) + ".unreadable-20261208111111000";
    QDir().mkpath(QFileInfo(aside).absolutePath());
    for (const auto& [path, text] :
         {std::pair{aside, QByteArray(R"({"displays":[{"id":"2","name":"DELL U2723QE",)"
                                      R"("builtIn":false,"brightness":0.55,"reason":"off"}]})")},
          std::pair{damaged, QByteArray(R"({"displays":[{"id":"3",)")}}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    // One set aside as a link still leads elsewhere: it is not read through.
    const auto linked = QString::fromStdString(journalPath()) + ".unreadable-20261208121212000";
    const auto elsewhere = QFileInfo(aside).absolutePath() + "/elsewhere.json";
    QFile other(elsewhere);
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write(R"({"displays":[{"id":"3","brightness":0.2,"reason":"off"}]})");
    other.close();
    ASSERT_TRUE(QFile::link(elsewhere, linked));
    launch();

    EXPECT_EQ(monitor(2).vcp(0x10)->current, 50);
    EXPECT_TRUE(QFileInfo(linked).isSymLink());
    EXPECT_FALSE(QFile::exists(aside)) << "its records are in the journal now";
    EXPECT_TRUE(QFile::exists(damaged)) << "what cannot be read whole is left for a person";
    EXPECT_EQ(monitor(3).vcp(0x10)->current, 70);
    EXPECT_TRUE(controller().recoveryJournal->empty());
}
