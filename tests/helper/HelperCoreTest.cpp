#include "helper/HelperCore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class HelperCoreTest : public ::testing::Test {
  protected:
    QTemporaryDir root;
    std::string dir = root.path().toStdString() + "/Nightlid";
    std::vector<std::string> logged;
    helper::HelperCore core{root.path().toStdString(), "Nightlid",
                            [this](const std::string& l) { logged.push_back(l); }};
    int64_t now = 1772409600;

    void SetUp() override { QDir().mkpath(QString::fromStdString(dir)); }
    void put(const std::string& name, const std::string& text) {
        std::ofstream(dir + "/" + name, std::ios::binary) << text;
    }
    std::string get(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    helper::ChargeControl tick(int percent, bool adapter = true) {
        return core.tick(now, {percent, adapter});
    }
    bool loggedSomething(const std::string& part) {
        for (const auto& l : logged)
            if (l.find(part) != std::string::npos) return true;
        return false;
    }
};

const helper::ChargeControl charge{false, false}, hold{true, false}, drain{true, true};

} // namespace

TEST_F(HelperCoreTest, LimitStopsChargingAndResumesThreeBelowIt) {
    EXPECT_EQ(tick(95), charge) << "no file: no limit";
    put("limit.txt", "80");
    EXPECT_EQ(tick(95), hold);
    EXPECT_EQ(tick(79), hold) << "drifting down, still held";
    EXPECT_EQ(tick(77), charge) << "at 77 it recharges";
    EXPECT_EQ(tick(79), charge);
    EXPECT_EQ(tick(80), hold);
    put("limit.txt", "0\n");
    EXPECT_EQ(tick(85), charge) << "0 lets the system charge";
    put("limit.txt", " 100 \n");
    EXPECT_EQ(tick(99), charge);
    EXPECT_EQ(tick(100), hold);
}

TEST_F(HelperCoreTest, BadLimitFilesMeanNoLimitAsTheCardShowsThem) {
    const std::vector<std::string> bad = {
        "80%", "-5",   "99999999999", "49",  "101",
        "8 0", "0x50", "80;rm -rf /", "+80", std::string("\x00\x01\xff", 3)};
    for (const auto& text : bad) {
        put("limit.txt", "80");
        EXPECT_EQ(tick(90), hold);
        put("limit.txt", text);
        logged.clear();
        EXPECT_EQ(tick(90), charge) << "\"" << text << "\"";
        EXPECT_EQ(core.limit(), 0) << "\"" << text << "\"";
        EXPECT_TRUE(loggedSomething("; no limit")) << "\"" << text << "\"";
    }
    // Empty or blank: the program is rewriting it in place, the limit holds for that one tick;
    // still blank at the next, it is no limit, as the card shows it.
    for (const std::string blank : {"", " \n\t "}) {
        put("limit.txt", "80");
        tick(90);
        put("limit.txt", blank);
        EXPECT_EQ(tick(90), hold);
        EXPECT_EQ(tick(90), charge);
        EXPECT_EQ(core.limit(), 0);
    }
    // White space around a limit is read up to the same length by both sides.
    put("limit.txt", std::string(63, ' ') + "80");
    EXPECT_EQ(tick(90), hold);
    put("limit.txt", std::string(4095, ' ') + "80");
    logged.clear();
    EXPECT_EQ(tick(90), charge);
    EXPECT_TRUE(loggedSomething("at most 4096 bytes is read"));
    // Too long to be a limit (a megabyte), and a link to elsewhere.
    put("limit.txt", std::string(1 << 20, '7'));
    tick(90);
    EXPECT_EQ(core.limit(), 0);
    EXPECT_TRUE(loggedSomething("limit.txt is 1 MiB long; at most 4096 bytes is read"));
    put("limit.txt", "80");
    tick(90);
    QFile::remove(QString::fromStdString(dir + "/limit.txt"));
    const std::string elsewhere = root.path().toStdString() + "/elsewhere.txt";
    std::ofstream(elsewhere) << "50";
    ASSERT_EQ(::symlink(elsewhere.c_str(), (dir + "/limit.txt").c_str()), 0);
    logged.clear();
    EXPECT_EQ(tick(60), charge) << "a link is not followed";
    EXPECT_EQ(core.limit(), 0);
    EXPECT_TRUE(loggedSomething("limit.txt is a symbolic link; no limit"));
    // A second name of another file is never enforced: it could be a file only root may read.
    QFile::remove(QString::fromStdString(dir + "/limit.txt"));
    ASSERT_EQ(::link(elsewhere.c_str(), (dir + "/limit.txt").c_str()), 0);
    EXPECT_EQ(tick(60), charge);
    EXPECT_TRUE(loggedSomething("limit.txt has 2 names (a hard link)"));
}

TEST_F(HelperCoreTest, CalibrationChargesFullDrainsToFifteenAndReturnsToItsLimit) {
    put("limit.txt", "80");
    put("calibration.txt", "scheduled:" + std::to_string(now + 100) + ":90:2");
    EXPECT_EQ(tick(80), hold) << "not yet due";
    now += 100;
    EXPECT_EQ(tick(80), charge);
    EXPECT_EQ(get(dir + "/calibration.txt"), "charging_100:90:2");
    EXPECT_EQ(tick(99), charge);
    EXPECT_EQ(tick(100), drain);
    EXPECT_EQ(get(dir + "/calibration.txt"), "discharging_15:90:2");
    EXPECT_EQ(tick(40), drain);
    EXPECT_EQ(tick(15), charge) << "back to the limit of the schedule, 90";
    EXPECT_EQ(get(dir + "/limit.txt"), "90");
    EXPECT_EQ(get(dir + "/calibration.txt"),
              "scheduled:" + std::to_string(now + 2 * helper::HelperCore::week) + ":90:2");

    // A single run ends inactive; a cancel mid-run hands back to the limit at once.
    put("calibration.txt", "charging_100:80:0");
    EXPECT_EQ(tick(100), drain);
    EXPECT_EQ(tick(15), charge);
    EXPECT_EQ(get(dir + "/calibration.txt"), "inactive");
    put("calibration.txt", "discharging_15:80:0");
    EXPECT_EQ(tick(50), drain);
    put("calibration.txt", "cancel");
    EXPECT_EQ(tick(50), charge);
    EXPECT_EQ(get(dir + "/calibration.txt"), "inactive");
    EXPECT_EQ(tick(80), hold);

    // Malformed lines are logged and ignored; the limit still applies.
    for (const std::string line : {"scheduled:soon:80:1", "scheduled:1:80:9", "scheduled:1:20:1",
                                   "charging_100:80", "reboot", "scheduled:1:80:1:extra"}) {
        put("calibration.txt", line);
        logged.clear();
        EXPECT_EQ(tick(85), hold) << line;
        EXPECT_TRUE(loggedSomething("calibration ignored")) << line;
    }

    // A file the card cannot show ends a discharge at once: the adapter powers the machine.
    const std::string calibration = dir + "/calibration.txt";
    const std::vector<std::pair<std::string, std::function<void()>>> refusals = {
        {"garbage", [&] { put("calibration.txt", "discharging_15:80:0:oops"); }},
        {"too long", [&] { put("calibration.txt", std::string(4091, ' ') + "cancel"); }},
        {"after 9999", [&] { put("calibration.txt", "scheduled:999999999999:80:0"); }},
        {"a link",
         [&] {
             QFile::remove(QString::fromStdString(calibration));
             ASSERT_EQ(::symlink("/dev/null", calibration.c_str()), 0);
         }},
        {"a FIFO",
         [&] {
             QFile::remove(QString::fromStdString(calibration));
             ASSERT_EQ(::mkfifo(calibration.c_str(), 0600), 0);
         }},
    };
    for (const auto& [what, refuse] : refusals) {
        QFile::remove(QString::fromStdString(calibration));
        put("calibration.txt", "discharging_15:80:0");
        EXPECT_EQ(tick(50), drain) << what;
        refuse();
        logged.clear();
        EXPECT_EQ(tick(50), charge) << what;
        EXPECT_EQ(core.calibration().kind, helper::CalibrationState::Kind::inactive) << what;
        EXPECT_TRUE(loggedSomething("the calibration run ends")) << what;
    }
}

TEST_F(HelperCoreTest, WritesNeverGoThroughALinkPlantedInItsFolder) {
    const std::string victim = root.path().toStdString() + "/victim.txt";
    std::ofstream(victim) << "precious";
    put("limit.txt", "80");
    // A symbolic link in place of the calibration file.
    ASSERT_EQ(::symlink(victim.c_str(), (dir + "/calibration.txt").c_str()), 0);
    tick(80);
    EXPECT_EQ(get(victim), "precious");
    // A hard link is never read, so never acted on; its other name keeps its content.
    QFile::remove(QString::fromStdString(dir + "/calibration.txt"));
    const std::string planted = root.path().toStdString() + "/planted.txt";
    const std::string line = "scheduled:" + std::to_string(now) + ":80:0";
    std::ofstream(planted) << line;
    ASSERT_EQ(::link(planted.c_str(), (dir + "/calibration.txt").c_str()), 0);
    EXPECT_EQ(tick(80), hold) << "no calibration starts";
    EXPECT_EQ(get(planted), line);
    // The folder itself swapped for a link: nothing is read or written through it.
    const std::string moved = root.path().toStdString() + "/moved";
    ASSERT_EQ(::rename(dir.c_str(), moved.c_str()), 0);
    ASSERT_EQ(::symlink(moved.c_str(), dir.c_str()), 0);
    std::ofstream(moved + "/calibration.txt") << "cancel";
    tick(80);
    EXPECT_EQ(get(moved + "/calibration.txt"), "cancel");
}

TEST_F(HelperCoreTest, NoFolderNoLimitAndRefusedFilesAreToldBySizeNotContent) {
    // A calibration scheduled while the limit was off leaves it off.
    put("limit.txt", "0");
    put("calibration.txt", "charging_100:0:0");
    EXPECT_EQ(tick(100), drain);
    EXPECT_EQ(tick(15), charge);
    EXPECT_EQ(get(dir + "/limit.txt"), "0");
    EXPECT_EQ(tick(95), charge) << "no limit after the run";

    // A secret the user cannot read, linked in as the limit: its start never reaches the log.
    put("limit.txt", "sk-SECRET-TOKEN");
    logged.clear();
    tick(90);
    EXPECT_FALSE(loggedSomething("SECRET"));
    EXPECT_TRUE(loggedSomething("limit.txt (15 bytes)"));
    put("calibration.txt", "password=hunter2");
    logged.clear();
    tick(90);
    EXPECT_FALSE(loggedSomething("hunter2"));
    EXPECT_TRUE(loggedSomething("calibration.txt (16 bytes)"));

    // The folder goes: the held battery charges again.
    put("limit.txt", "80");
    EXPECT_EQ(tick(90), hold);
    QDir(QString::fromStdString(dir)).removeRecursively();
    logged.clear();
    EXPECT_EQ(tick(90), charge);
    EXPECT_EQ(core.limit(), 0);
    EXPECT_TRUE(loggedSomething("Nightlid cannot be opened: No such file or directory; no limit"));
    tick(90);
    EXPECT_EQ(logged.size(), 1u) << "said once";
}

TEST(HelperFolderPath, ALinkAtAnyFolderOnTheWayIsNeverFollowed) {
    QTemporaryDir scratch;
    const std::string base = scratch.path().toStdString();
    const std::vector<std::string> parts = {"Library", "Application Support", "Nightlid"};
    // Where the links lead: a folder holding a limit someone else chose.
    const std::string real = base + "/real/Library/Application Support/Nightlid";
    QDir().mkpath(QString::fromStdString(real));
    std::ofstream(real + "/limit.txt") << "85";
    for (size_t linked = 0; linked <= parts.size(); ++linked) {
        const std::string root = base + "/case" + std::to_string(linked);
        QDir().mkpath(QString::fromStdString(root));
        std::string path = root, target = base + "/real";
        for (size_t i = 0; i < parts.size(); ++i) {
            path += "/" + parts[i];
            target += "/" + parts[i];
            if (i == linked) {
                ASSERT_EQ(::symlink(target.c_str(), path.c_str()), 0);
                break;
            }
            QDir().mkpath(QString::fromStdString(path));
        }
        if (linked == parts.size()) std::ofstream(path + "/limit.txt") << "85";
        std::vector<std::string> logged;
        helper::HelperCore core(root, "/Library/Application Support/Nightlid",
                                [&](const std::string& l) { logged.push_back(l); });
        const bool followed = core.tick(1000, {90, true}).chargingInhibited;
        if (linked == parts.size()) {
            EXPECT_TRUE(followed) << "no link: the limit is read";
            continue;
        }
        EXPECT_FALSE(followed) << parts[linked] << " is a link";
        EXPECT_EQ(core.limit(), 0) << parts[linked];
    }
}
