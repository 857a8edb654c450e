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

TEST(HelperLoop, TheExecutableEnforcesTheLimitOnTheVirtualController) {
    QTemporaryDir root;
    const QString controller = root.path() + "/private/var/db/nightlid-charging";
    const QString folder = root.path() + "/Library/Application Support/Nightlid";
    put(controller + "/battery", "85 1");
    QDir().mkpath(root.path() + "/Library/Application Support"); // as every Mac has
    QProcess helper;
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert("NIGHTLID_SYSTEM_ROOT", root.path());
    helper.setProcessEnvironment(env);
    helper.start(NIGHTLID_HELPER_EXE, {});
    ASSERT_TRUE(helper.waitForStarted());

    // It makes its folder ready with no limit, and charging goes on.
    EXPECT_TRUE(waitFor([&] { return get(controller + "/control") == "0 0"; }));
    EXPECT_EQ(get(folder + "/limit.txt"), "0");
    // The program writes a limit: the next poll stops charging above it.
    put(folder + "/limit.txt", "80");
    EXPECT_TRUE(waitFor([&] { return get(controller + "/control") == "1 0"; }));
    // The battery drains below the margin: charging resumes.
    put(controller + "/battery", "76 1");
    EXPECT_TRUE(waitFor([&] { return get(controller + "/control") == "0 0"; }));

    helper.terminate();
    ASSERT_TRUE(helper.waitForFinished(5000));
    EXPECT_EQ(helper.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(helper.exitCode(), 0);
}
