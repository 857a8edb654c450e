// The helper's schedule: the decision reaches the hardware when it changes and again after a
// wake; and the real executable does it against the virtual Mac's charging controller.

#include "helper/HelperLoop.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>

namespace {

class FakeHardware : public helper::ChargingHardware {
  public:
    helper::BatteryReading reading{85, true};
    bool refuse = false;
    std::vector<helper::ChargeControl> applied;
    std::optional<helper::BatteryReading> read() override { return reading; }
    bool apply(const helper::ChargeControl& control, std::string& error) override {
        if (refuse) {
            error = "the controller did not answer";
            return false;
        }
        applied.push_back(control);
        return true;
    }
};

void put(const QString& path, const std::string& text) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    std::ofstream(path.toStdString(), std::ios::binary | std::ios::trunc) << text;
}

QString get(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
}

// Polls until the condition holds; the deadline only ends a broken run.
template <typename Condition> bool waitFor(Condition condition) {
    for (int i = 0; i < 150 && !condition(); ++i)
        QThread::msleep(100);
    return condition();
}

} // namespace

TEST(HelperLoop, TellsTheHardwareWhatChangedAndEverythingAgainAfterAWake) {
    QTemporaryDir root;
    const QString folder = root.path() + "/Nightlid";
    put(folder + "/limit.txt", "80");
    std::vector<std::string> logged;
    auto log = [&](const std::string& line) { logged.push_back(line); };
    helper::HelperCore core(root.path().toStdString(), "Nightlid", log);
    FakeHardware hardware;
    helper::HelperLoop loop(core, hardware, log);

    int64_t now = 1772409600;
    loop.poll(now);
    ASSERT_EQ(hardware.applied.size(), 1u);
    EXPECT_TRUE(hardware.applied.back().chargingInhibited) << "85% is over the limit of 80";
    for (int i = 0; i < 5; ++i)
        loop.poll(now += helper::HelperLoop::pollSeconds);
    EXPECT_EQ(hardware.applied.size(), 1u) << "the same decision is not sent again";

    // The Mac slept: the controller may have forgotten, so the decision goes again.
    loop.poll(now += helper::HelperLoop::wakeGapSeconds + 1);
    EXPECT_EQ(hardware.applied.size(), 2u);

    // A refusal is logged and tried again at the next poll.
    hardware.reading.percent = 60;
    hardware.refuse = true;
    loop.poll(now += 2);
    EXPECT_EQ(hardware.applied.size(), 2u);
    ASSERT_FALSE(logged.empty());
    EXPECT_EQ(logged.back(), "nightlid-helper: the controller did not answer");
    hardware.refuse = false;
    loop.poll(now += 2);
    ASSERT_EQ(hardware.applied.size(), 3u);
    EXPECT_FALSE(hardware.applied.back().chargingInhibited);
}

namespace {

struct VirtualRoot {
    QTemporaryDir root;
    QString controller = root.path() + "/private/var/db/nightlid-charging";
    QString folder = root.path() + "/Library/Application Support/Nightlid";
    VirtualRoot() { QDir().mkpath(root.path() + "/Library/Application Support"); }
    void start(QProcess& helper, const QStringList& arguments = {}) {
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert("NIGHTLID_SYSTEM_ROOT", root.path());
        helper.setProcessEnvironment(env);
        helper.start(NIGHTLID_HELPER_EXE, arguments);
    }
};

} // namespace

TEST(HelperLoop, TheExecutableEnforcesTheLimitRunsOnceAndLeavesChargingOnWhenStopped) {
    VirtualRoot mac;
    put(mac.controller + "/battery", "85 1");
    QProcess helper;
    mac.start(helper);
    ASSERT_TRUE(helper.waitForStarted());

    // It makes its folder ready with no limit, and charging goes on.
    // (The controller may read "0 0" before the helper has made its folder: each is waited for.)
    EXPECT_TRUE(waitFor([&] { return get(mac.controller + "/control") == "0 0"; }));
    EXPECT_TRUE(waitFor([&] { return get(mac.folder + "/limit.txt") == "0"; }));
    EXPECT_TRUE(waitFor([&] { return get(mac.folder + "/charging-control.txt") == "available"; }));
    // A limit stops charging above it; below the margin charging resumes, above it stops again.
    put(mac.folder + "/limit.txt", "80");
    EXPECT_TRUE(waitFor([&] { return get(mac.controller + "/control") == "1 0"; }));
    put(mac.controller + "/battery", "76 1");
    EXPECT_TRUE(waitFor([&] { return get(mac.controller + "/control") == "0 0"; }));
    put(mac.controller + "/battery", "81 1");
    EXPECT_TRUE(waitFor([&] { return get(mac.controller + "/control") == "1 0"; }));

    // A second helper finds the first and ends without touching the controller.
    QProcess second;
    mac.start(second);
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 75);
    EXPECT_TRUE(QString::fromUtf8(second.readAllStandardError())
                    .contains("another nightlid-helper is running (process " +
                              QString::number(helper.processId()) + "); this one ends"));
    EXPECT_EQ(get(mac.controller + "/control"), "1 0");

    // launchd's SIGTERM: charging is switched back on before it ends.
    helper.terminate();
    ASSERT_TRUE(helper.waitForFinished(5000));
    EXPECT_EQ(helper.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(helper.exitCode(), 0);
    EXPECT_EQ(get(mac.controller + "/control"), "0 0");
    EXPECT_TRUE(QString::fromUtf8(helper.readAllStandardError())
                    .contains("nightlid-helper: stopped; the battery charges from the adapter"));

    // Killed outright, a helper leaves charging stopped: the uninstaller's restore switches it
    // back on, once no helper runs.
    QProcess killed;
    mac.start(killed);
    EXPECT_TRUE(waitFor([&] { return get(mac.controller + "/control") == "1 0"; }));
    QProcess refused;
    mac.start(refused, {"--restore-charging"});
    ASSERT_TRUE(refused.waitForFinished(10000));
    EXPECT_EQ(refused.exitCode(), 75);
    killed.kill();
    ASSERT_TRUE(killed.waitForFinished(5000));
    EXPECT_EQ(get(mac.controller + "/control"), "1 0");
    QProcess restore;
    mac.start(restore, {"--restore-charging"});
    ASSERT_TRUE(restore.waitForFinished(10000));
    EXPECT_EQ(restore.exitCode(), 0);
    EXPECT_EQ(get(mac.controller + "/control"), "0 0");
    EXPECT_TRUE(QString::fromUtf8(restore.readAllStandardError())
                    .contains("nightlid-helper: charging restored; the battery charges from the "
                              "adapter"));
}

TEST(HelperLoop, TheExecutableOnAMachineWithoutChargingKeysSaysSoAndEnforcesNothing) {
    VirtualRoot mac;
    put(mac.controller + "/battery", "85 1");
    put(mac.controller + "/keys", "none");
    put(mac.folder + "/limit.txt", "80");
    QProcess helper;
    mac.start(helper);
    ASSERT_TRUE(helper.waitForStarted());
    EXPECT_TRUE(waitFor(
        [&] { return get(mac.folder + "/charging-control.txt").startsWith("unavailable:"); }));
    EXPECT_EQ(get(mac.folder + "/charging-control.txt"),
              "unavailable:this Mac's SMC has no charging keys the helper knows (CHTE missing, "
              "CH0B missing, CH0C missing)");
    EXPECT_FALSE(QFile::exists(mac.controller + "/control")) << "nothing was written";
    helper.terminate();
    ASSERT_TRUE(helper.waitForFinished(5000));
    EXPECT_TRUE(QString::fromUtf8(helper.readAllStandardError())
                    .contains("CH0C missing); nothing is enforced"));
}
