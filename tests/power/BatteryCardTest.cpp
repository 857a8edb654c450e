#include "app/AppTestSupport.h"
#include "appkit/Button.h"
#include "appkit/Slider.h"
#include "platform/SystemLocale.h"
#include "platform/SystemPaths.h"
#include "platform/sim/SimBattery.h"
#include "platform/sim/SimPrivileges.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <fstream>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class BatteryCardTest : public AppTest {
  protected:
    void start(sim::MachineDescription m = laptopWithTwoMonitors()) {
        boot(std::move(m));
        defaults().set("appLanguage", "en");
        launch();
    }
    std::string text(QLabel* l) { return l ? l->text().toStdString() : "(none)"; }
    std::string file(const std::string& name) {
        QFile f(QString::fromStdString(
            platform().paths->map("/Library/Application Support/Nightlid/" + name)));
        return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : "(missing)";
    }
    sim::SimBattery& battery() { return mac().battery(); }
    // Switches the limit on, agreeing to the installation and the password prompt.
    void switchOn() {
        mac().alerts().queueAnswers({0});
        mac().privileges().queuePromptAnswers({true});
        controller().chargeLimitCheckbox->performClick();
        advance();
    }
    int assertionsNamed(const std::string& name) {
        int n = 0;
        for (const auto& a : battery().assertions())
            n += a.name == name && a.type == "NoIdleSleepAssertion" && a.level == 255;
        return n;
    }
    static constexpr const char* bypass = "Night Lid - Battery Charge Limiting Bypass";
};

} // namespace

TEST_F(BatteryCardTest, LimitOnInstallsTheHelperHoldsAtTheLimitAndRechargesFromSeventySeven) {
    start();
    auto& c = controller();
    EXPECT_EQ(text(c.powerSourceLabel), "Power Source: 96W Charger");
    EXPECT_EQ(text(c.chargingStatusLabel), "Charging Status: Charging (95%)");
    EXPECT_EQ(text(c.batteryHealthLabel), "Battery Health: 93% (Normal)");
    EXPECT_EQ(text(c.batteryCycleLabel), "Cycle Count: 123");
    EXPECT_EQ(text(c.chargeLimitValueLabel), "Off");
    EXPECT_FALSE(c.chargeLimitSlider->isEnabled());
    EXPECT_EQ(c.chargeLimitSlider->doubleValue(), 80);

    switchOn();
    EXPECT_EQ(mac().alerts().shown().back().messageText, "Helper Tool Required");
    EXPECT_TRUE(mac().privileges().helperRunning());
    EXPECT_EQ(file("limit.txt"), "80");
    EXPECT_EQ(text(c.chargeLimitValueLabel), "80%");
    EXPECT_FALSE(c.chargeLimitCheckbox->isEnabled()) << "locked while it takes effect";
    advance(1);
    EXPECT_EQ(text(c.powerSourceLabel), "Power Source: Configuring... (8%)");
    EXPECT_EQ(text(c.chargingStatusLabel), "Sending stop command... (10%)");
    // Charging stopped at once, but the charging line waits its 12 seconds; the power source
    // never leaves AC, so its line waits 15.
    advance(11);
    EXPECT_FALSE(c.isApplyingChargingStatusTransition);
    EXPECT_TRUE(c.isApplyingPowerSourceTransition);
    advance(3);
    EXPECT_FALSE(c.isApplyingPowerSourceTransition);
    EXPECT_FALSE(c.limitTransitionTimer);
    EXPECT_TRUE(c.chargeLimitCheckbox->isEnabled());
    EXPECT_TRUE(c.chargeLimitSlider->isEnabled());
    EXPECT_EQ(text(c.chargingStatusLabel), "Charging Status: On Hold (95%)");
    EXPECT_EQ(assertionsNamed(bypass), 1);
    EXPECT_EQ(file("charging-control.txt"), "available");
    EXPECT_FALSE(c.helperWarningLabel->isVisibleTo(c.helperWarningLabel->parentWidget()));
    EXPECT_TRUE(
        c.chargeLimitDescriptionLabel->isVisibleTo(c.chargeLimitDescriptionLabel->parentWidget()));

    // Held on the charger it drifts to 77, recharges, and holds again at 80.
    battery().setTimeScale(10); // a percent a minute; 3.75 s a percent charging
    advance(15 * 60 + 1, 0.5);
    EXPECT_EQ(battery().percent(), 80);
    EXPECT_TRUE(battery().chargingInhibited());
    advance(3 * 60 - 1, 0.5);
    EXPECT_EQ(battery().percent(), 77);
    advance(2);
    EXPECT_TRUE(battery().isCharging());
    EXPECT_EQ(assertionsNamed(bypass), 0) << "not while charging";
    advance(4);
    EXPECT_EQ(text(c.chargingStatusLabel), "Charging Status: Charging (78%)");
    advance(10);
    EXPECT_GE(battery().percent(), 80);
    EXPECT_LE(battery().percent(), 81);
    EXPECT_TRUE(battery().chargingInhibited());

    // Unplugged: the assertion goes at the next refresh; closed, nothing is refreshed.
    advance(5);
    EXPECT_EQ(assertionsNamed(bypass), 1);
    battery().setAdapterConnected(false);
    advance();
    EXPECT_EQ(assertionsNamed(bypass), 0);
    battery().setAdapterConnected(true);
    advance(5);
    EXPECT_EQ(assertionsNamed(bypass), 1);
    delegate().applicationWillTerminate();
    EXPECT_EQ(assertionsNamed(bypass), 0) << "released when the program ends";
}

TEST_F(BatteryCardTest, OnAMacWhoseChargingTheHelperCannotControlTheCardSaysSo) {
    auto m = laptopWithTwoMonitors();
    m.battery->smcChargingKeys = "none";
    start(m);
    auto& c = controller();
    switchOn();
    advance(2);
    EXPECT_EQ(file("charging-control.txt"),
              "unavailable:this Mac's SMC has no charging keys the helper knows (CHTE missing, "
              "CH0B missing, CH0C missing)");
    advance(5);
    auto shown = [](QLabel* l) { return l && l->isVisibleTo(l->parentWidget()); };
    EXPECT_TRUE(shown(c.helperWarningLabel));
    EXPECT_EQ(text(c.helperWarningLabel),
              "⚠️ This Mac's charging cannot be controlled: the charge limit is not active.");
    EXPECT_EQ(c.helperWarningLabel->toolTip().toStdString(),
              "this Mac's SMC has no charging keys the helper knows (CHTE missing, CH0B missing, "
              "CH0C missing)");
    EXPECT_FALSE(shown(c.chargeLimitDescriptionLabel)) << "no promise of a limit";
    EXPECT_FALSE(battery().chargingInhibited()) << "95% over the limit, but nothing enforced";
}

TEST_F(BatteryCardTest, DeclinedOrFailedInstallationLeavesTheLimitOff) {
    start();
    auto& c = controller();
    mac().alerts().queueAnswers({1}); // Cancel
    c.chargeLimitCheckbox->performClick();
    advance();
    EXPECT_EQ(c.chargeLimitCheckbox->state(), appkit::ControlState::off);
    EXPECT_FALSE(c.chargeLimitSlider->isEnabled());
    EXPECT_EQ(file("limit.txt"), "(missing)");
    EXPECT_EQ(mac().privileges().promptsShown(), 0);

    // The password prompt cancelled.
    mac().alerts().queueAnswers({0});
    mac().privileges().queuePromptAnswers({false});
    c.chargeLimitCheckbox->performClick();
    advance();
    EXPECT_EQ(c.chargeLimitCheckbox->state(), appkit::ControlState::off);
    EXPECT_FALSE(mac().privileges().helperRunning());
    EXPECT_TRUE(log().contains("Helper installation failed: {NSAppleScriptErrorNumber = -128; "
                               "NSAppleScriptErrorMessage = \"User canceled.\";}"));
}

TEST_F(BatteryCardTest, InstallerQuotesABundlePathThatWouldFoolTheShell) {
    auto m = laptopWithTwoMonitors();
    m.bundlePath = "/Applications/Night'lid $(touch pwned) \\ `id` \"q\".app";
    start(m);
    switchOn();
    // Nothing to unload on a first installation: that command fails and the rest runs.
    const auto& run = mac().privileges().commandsRun();
    ASSERT_EQ(run.size(), 6u);
    EXPECT_EQ(run[1], "cp " + m.bundlePath +
                          "/Contents/MacOS/nightlid-helper "
                          "/Library/PrivilegedHelperTools/nightlid-helper.new");
    EXPECT_EQ(run[3], "mv -f /Library/PrivilegedHelperTools/nightlid-helper.new "
                      "/Library/PrivilegedHelperTools/nightlid-helper");
    EXPECT_EQ(run[5], "launchctl load -w /Library/LaunchDaemons/com.nightlid.helper.plist");
    EXPECT_TRUE(mac().privileges().helperRunning());
    EXPECT_TRUE(controller().isHelperInstalled());
    EXPECT_EQ(file("limit.txt"), "80");
    for (const auto& line : log().lines())
        EXPECT_EQ(line.find("refused to run"), std::string::npos) << line;
    QDirIterator all(QString::fromStdString(platform().paths->root()),
                     QDirIterator::Subdirectories);
    while (all.hasNext())
        EXPECT_NE(all.next().section('/', -1), "pwned");
}

TEST_F(BatteryCardTest, SliderApplyRowOffAndANewHelperBuild) {
    start();
    auto& c = controller();
    switchOn();
    advance(15, 0.1);
    c.chargeLimitSlider->performDrag(88);
    EXPECT_EQ(c.chargeLimitSlider->doubleValue(), 90) << "only the tick marks";
    EXPECT_EQ(text(c.chargeLimitValueLabel), "90%");
    EXPECT_TRUE(c.chargeLimitApplyRow->isVisibleTo(c.controlWindow->widget()));
    c.chargeLimitSlider->performDrag(80);
    EXPECT_FALSE(c.chargeLimitApplyRow->isVisibleTo(c.controlWindow->widget()));
    c.chargeLimitSlider->performDrag(90);
    c.chargeLimitApplyButton->performClick();
    advance();
    EXPECT_EQ(file("limit.txt"), "90");
    EXPECT_EQ(c.appliedLimit, 90);
    EXPECT_FALSE(c.chargeLimitApplyRow->isVisibleTo(c.controlWindow->widget()));
    EXPECT_TRUE(c.isApplyingChargingStatusTransition);
    EXPECT_FALSE(c.isApplyingPowerSourceTransition);
    // At 95 with a target of 90, charging is already stopped: it ends after 20 seconds.
    advance(19);
    EXPECT_TRUE(c.isApplyingChargingStatusTransition);
    advance(1);
    EXPECT_FALSE(c.isApplyingChargingStatusTransition);

    c.chargeLimitCheckbox->performClick();
    advance(31, 0.1);
    EXPECT_EQ(file("limit.txt"), "0");
    EXPECT_EQ(text(c.chargeLimitValueLabel), "Off");
    const size_t alerts = mac().alerts().shown().size();
    c.chargeLimitCheckbox->performClick();
    advance();
    EXPECT_EQ(file("limit.txt"), "90");
    EXPECT_EQ(mac().alerts().shown().size(), alerts) << "installed: no question";

    // The bundle now carries another build: switching on asks again.
    advance(31, 0.1);
    c.chargeLimitCheckbox->performClick();
    advance(31, 0.1);
    ASSERT_EQ(c.chargeLimitCheckbox->state(), appkit::ControlState::off);
    ASSERT_TRUE(c.chargeLimitCheckbox->isEnabled());
    QFile bundled(QString::fromStdString(
        platform().paths->map(platform().paths->bundlePath() + "/Contents/MacOS/nightlid-helper")));
    ASSERT_TRUE(bundled.open(QIODevice::Append));
    bundled.write("x");
    bundled.close();
    EXPECT_FALSE(c.isHelperInstalled());
    const size_t ranBefore = mac().privileges().commandsRun().size();
    switchOn();
    EXPECT_EQ(mac().alerts().shown().back().messageText, "Helper Tool Required");
    EXPECT_TRUE(c.isHelperInstalled());
    // The running helper is stopped before its file is replaced, and the new one started.
    const auto& run = mac().privileges().commandsRun();
    ASSERT_GT(run.size(), ranBefore);
    EXPECT_EQ(run[ranBefore], "launchctl unload /Library/LaunchDaemons/com.nightlid.helper.plist");
    EXPECT_EQ(run.back(), "launchctl load -w /Library/LaunchDaemons/com.nightlid.helper.plist");
    EXPECT_EQ(c.chargeLimitCheckbox->state(), appkit::ControlState::on);
    EXPECT_TRUE(mac().privileges().helperRunning());
    for (const auto& line : log().lines())
        EXPECT_EQ(line.find("code signature invalid"), std::string::npos) << line;
}

TEST_F(BatteryCardTest, TheVirtualLaunchdKeepsALoadedHelperAndKillsOneRewrittenInPlace) {
    // What an installer that skips the unload, or copies over the file, meets on a Mac.
    start();
    switchOn();
    ASSERT_TRUE(mac().privileges().helperRunning());
    auto& privileges = mac().privileges();
    const std::string plist = "/Library/LaunchDaemons/com.nightlid.helper.plist";
    const std::string helper = "/Library/PrivilegedHelperTools/nightlid-helper";
    const std::string bundled = platform().paths->bundlePath() + "/Contents/MacOS/nightlid-helper";
    auto asRoot = [&](const std::string& command) {
        std::string error;
        privileges.queuePromptAnswers({true});
        const bool ok = privileges.runAppleScript(
            "do shell script \"" + command + "\" with administrator privileges", error);
        return ok ? std::string("ok") : error;
    };
    EXPECT_NE(asRoot("launchctl load -w " + plist).find("service already loaded"),
              std::string::npos);
    EXPECT_EQ(asRoot("cp " + bundled + " " + helper + " && launchctl unload " + plist +
                     " && launchctl load -w " + plist),
              "ok");
    EXPECT_FALSE(privileges.helperRunning());
    EXPECT_TRUE(log().contains("Virtual Mac: launchd: com.nightlid.helper killed: code signature "
                               "invalid (" +
                               helper + " was rewritten in place)"));
    // A command no installer runs stops the script, even after a ;.
    EXPECT_NE(asRoot("launchctl unload " + plist + " ; rm -rf /").find("not a command"),
              std::string::npos);
    EXPECT_EQ(asRoot("launchctl unload " + plist + " ; mkdir -p /tmp/x"), "ok");
}

TEST_F(BatteryCardTest, OptimizedChargingOnTheBatteryProfileAloneIsWarnedOfInEitherForm) {
    // A Mac keeps its power settings as a binary property list; an XML one is read as well.
    for (const bool xml : {false, true}) {
        auto m = laptopWithTwoMonitors();
        m.battery->optimizedChargingOnBattery = true;
        m.battery->powerSettingsXML = xml;
        start(m);
        QFile settings(QString::fromStdString(platform().paths->map(
            "/Library/Preferences/SystemConfiguration/com.apple.PowerManagement.plist")));
        ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
        EXPECT_EQ(settings.read(8), xml ? QByteArray("<?xml ve") : QByteArray("bplist00"));
        mac().alerts().queueAnswers({0, 0, 0});
        mac().privileges().queuePromptAnswers({true});
        controller().chargeLimitCheckbox->performClick();
        advance();
        EXPECT_EQ(mac().alerts().shown().back().messageText, "macOS Battery Protection Detected")
            << (xml ? "XML" : "binary");
    }
}

TEST_F(BatteryCardTest, CalibrationIsScheduledShownAndCancelled) {
    start();
    auto& c = controller();
    // Without the helper nobody would run it: said, and nothing is shown as scheduled.
    mac().alerts().queueAnswers({0, 0});
    c.calibrationButton->performClick();
    advance();
    EXPECT_EQ(mac().alerts().shown().back().messageText, "Calibration Not Saved");
    EXPECT_EQ(file("calibration.txt"), "(missing)");
    EXPECT_EQ(text(c.calibrationStatusLabel), "Battery Calibration: Inactive");

    switchOn();
    advance(15);
    c.chargeLimitCheckbox->performClick(); // off again
    advance(60);
    ASSERT_FALSE(c.isApplyingChargingStatusTransition);
    ASSERT_EQ(file("limit.txt"), "0");
    c.chargeLimitSlider->setDoubleValue(90);
    platform::AlertRequest offered;
    mac().alerts().setPresenter([&](platform::AlertRequest& r) {
        offered = r;
        r.accessory->selectedItem = 0; // 1 week
        r.accessory->checkboxOn = false;
        return 0;
    });
    const int64_t due = int64_t(platform().locale->secondsSince1970()) + 604800;
    c.calibrationButton->performClick();
    advance();
    ASSERT_TRUE(offered.accessory);
    EXPECT_EQ(offered.accessory->selectedItem, 1);
    EXPECT_EQ(offered.accessory->popUpItems[1], "2 Weeks (in 14 days)");
    EXPECT_TRUE(offered.accessory->checkboxOn);
    // The switch is off: after the run there is no limit, whatever the slider says.
    EXPECT_EQ(file("calibration.txt"), "scheduled:" + std::to_string(due) + ":0:0");
    EXPECT_TRUE(log().contains("Nightlid: Scheduled battery calibration in 1 weeks (timestamp: " +
                               std::to_string(due) + ") with original limit 0%, recurring: 0"));
    EXPECT_EQ(text(c.calibrationStatusLabel), "Calibration: Scheduled (2026.3.9)");
    EXPECT_EQ(c.calibrationButton->title(), "Cancel Schedule");

    QFile phase(QString::fromStdString(
        platform().paths->map("/Library/Application Support/Nightlid/calibration.txt")));
    ASSERT_TRUE(phase.open(QIODevice::WriteOnly));
    phase.write("charging_100:80:0");
    phase.close();
    advance(5);
    EXPECT_EQ(text(c.calibrationStatusLabel), "Calibration: Phase 1 (Charging to 100%)");
    EXPECT_FALSE(c.chargeLimitCheckbox->isEnabled());
    ASSERT_TRUE(phase.open(QIODevice::WriteOnly));
    phase.write("discharging_15:");
    phase.close();
    c.calibrationButton->performClick();
    advance();
    EXPECT_EQ(file("calibration.txt"), "cancel");
    EXPECT_TRUE(
        log().contains("Nightlid: User cancelled battery calibration schedule/run via UI."));
    EXPECT_EQ(text(c.calibrationStatusLabel), "Battery Calibration: Inactive");
    EXPECT_TRUE(c.chargeLimitCheckbox->isEnabled());
}

TEST(BatteryCard, ProgressFiguresFollowTheElapsedSeconds) {
    const std::vector<std::pair<int, int>> source = {{1, 8},   {5, 40},  {6, 44},
                                                     {15, 80}, {16, 81}, {40, 95}};
    for (auto [e, p] : source)
        EXPECT_EQ(BlackoutController::powerSourceProgress(e), p) << e;
    const std::vector<std::pair<int, int>> charging = {{1, 10},  {5, 50},  {6, 51},  {50, 95},
                                                       {51, 95}, {53, 97}, {500, 99}};
    for (auto [e, q] : charging)
        EXPECT_EQ(BlackoutController::chargingStatusProgress(e), q) << e;
}

TEST_F(BatteryCardTest, TheCardShowsOnlyTheLimitTheHelperEnforces) {
    start();
    auto& c = controller();
    switchOn();
    advance(31, 0.1);
    const auto path = QString::fromStdString(
        platform().paths->map("/Library/Application Support/Nightlid/limit.txt"));
    QDir().mkpath(QFileInfo(path).absolutePath());
    auto put = [&](const QByteArray& text) {
        QFile::remove(path);
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    };
    // Written behind the card's back: the next refresh shows it.
    put("85");
    c.updatePowerStatusUI();
    EXPECT_EQ(c.chargeLimitCheckbox->state(), appkit::ControlState::on);
    EXPECT_EQ(text(c.chargeLimitValueLabel), "85%");
    for (const QByteArray& refused : {QByteArray("30"), QByteArray("101"), QByteArray("abc")}) {
        put(refused);
        c.updatePowerStatusUI();
        EXPECT_EQ(c.chargeLimitCheckbox->state(), appkit::ControlState::off) << refused.data();
        EXPECT_EQ(text(c.chargeLimitValueLabel), "Off") << refused.data();
        EXPECT_TRUE(log().contains("Nightlid: the limit file holds \"" + refused.toStdString() +
                                   "\", which the helper does not enforce; the charge limit is "
                                   "off"));
    }
    // A FIFO is never waited on, a huge sparse file never read whole.
    QFile::remove(path);
    ASSERT_EQ(::mkfifo(path.toLocal8Bit().constData(), 0600), 0);
    c.updatePowerStatusUI();
    EXPECT_TRUE(log().contains("Nightlid: /Library/Application Support/Nightlid/limit.txt is not "
                               "read: limit.txt is a FIFO (named pipe), not a file"));
    QFile::remove(path);
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(qint64(2) << 30));
    }
    c.updatePowerStatusUI();
    EXPECT_EQ(c.chargeLimitCheckbox->state(), appkit::ControlState::off);
    EXPECT_TRUE(log().contains("Nightlid: /Library/Application Support/Nightlid/limit.txt is not "
                               "read: limit.txt is 2 GiB long; at most 4096 bytes is read"));
}

TEST_F(BatteryCardTest, TheLimitShownIsTheOneEnforcedNeverATickNorOneWithoutAHelper) {
    start();
    auto& c = controller();
    const std::string folder = platform().paths->map("/Library/Application Support/Nightlid");
    QDir().mkpath(QString::fromStdString(folder));
    auto put = [&](const std::string& text) {
        ::unlink((folder + "/limit.txt").c_str());
        std::ofstream(folder + "/limit.txt") << text;
    };
    // A limit left from an earlier installation, with no helper to enforce it: no limit.
    put("80");
    c.updatePowerStatusUI();
    advance();
    EXPECT_EQ(c.chargeLimitCheckbox->state(), appkit::ControlState::off);
    EXPECT_EQ(text(c.chargeLimitValueLabel), "Off");
    EXPECT_TRUE(log().contains("Nightlid: the limit file holds 80, but no helper is installed to "
                               "enforce it; the charge limit is off"));
    c.languageChanged(1); // the card built anew reads the file the same way
    advance();
    EXPECT_EQ(text(controller().chargeLimitValueLabel), "Off");

    // With the helper: a limit between the slider's tick marks is shown as it is, whether the
    // card is refreshed or built anew.
    switchOn();
    advance(31, 0.1);
    for (const int limit : {85, 55, 99}) {
        put(std::to_string(limit));
        advance(4.5);
        ASSERT_EQ(mac().privileges().helperLimit(), limit);
        c.languageChanged(1);
        advance();
        auto& rebuilt = controller();
        EXPECT_EQ(rebuilt.chargeLimitCheckbox->state(), appkit::ControlState::on) << limit;
        EXPECT_EQ(text(rebuilt.chargeLimitValueLabel), std::to_string(limit) + "%");
        EXPECT_EQ(rebuilt.appliedLimit, limit);
        rebuilt.updatePowerStatusUI();
        advance();
        EXPECT_EQ(text(rebuilt.chargeLimitValueLabel), std::to_string(limit) + "%");
    }
}

TEST_F(BatteryCardTest, TheCardShowsWhatTheHelperEnforcesForEveryFile) {
    start();
    auto& c = controller();
    switchOn();
    advance(60);
    const std::string folder = platform().paths->map("/Library/Application Support/Nightlid");
    const std::string limit = folder + "/limit.txt";
    auto put = [&](const std::string& text) {
        QFile::remove(QString::fromStdString(limit));
        QFile f(QString::fromStdString(limit));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text.data(), qint64(text.size()));
    };
    std::ofstream(folder + "/../elsewhere") << "70";
    const std::vector<std::pair<std::string, std::function<void()>>> files = {
        {"80", [&] { put("80"); }},
        {"spaces then 90", [&] { put(std::string(63, ' ') + "90"); }},
        {"4 KiB of spaces", [&] { put(std::string(4094, ' ') + "80"); }},
        {"empty", [&] { put(""); }},
        {"blank", [&] { put(" \n\t"); }},
        {"30", [&] { put("30"); }},
        {"words", [&] { put("eighty"); }},
        {"100", [&] { put("100\n"); }},
        {"a link",
         [&] {
             QFile::remove(QString::fromStdString(limit));
             ASSERT_EQ(::symlink((folder + "/../elsewhere").c_str(), limit.c_str()), 0);
         }},
        {"a hard link",
         [&] {
             QFile::remove(QString::fromStdString(limit));
             ASSERT_EQ(::link((folder + "/../elsewhere").c_str(), limit.c_str()), 0);
         }},
        {"a FIFO",
         [&] {
             QFile::remove(QString::fromStdString(limit));
             ASSERT_EQ(::mkfifo(limit.c_str(), 0600), 0);
         }},
    };
    for (const auto& [what, make] : files) {
        make();
        advance(4.5); // two of the helper's ticks: a blank file is a moment's state
        c.updatePowerStatusUI();
        advance();
        const int enforced = mac().privileges().helperLimit().value_or(-1);
        EXPECT_EQ(battery().chargingInhibited(), enforced > 0 && battery().percent() >= enforced)
            << what;
        EXPECT_EQ(c.chargeLimitCheckbox->state() == appkit::ControlState::on, enforced > 0)
            << what << ": the helper enforces " << enforced;
        EXPECT_EQ(text(c.chargeLimitValueLabel),
                  enforced > 0 ? std::to_string(enforced) + "%" : "Off")
            << what;
    }
}

TEST_F(BatteryCardTest, ACalibrationFileTheHelperRefusesEndsTheDischargeAndTheCardSaysWhy) {
    start();
    auto& c = controller();
    switchOn();
    advance(60);
    battery().setPercent(60);
    const QString path = QString::fromStdString(
        platform().paths->map("/Library/Application Support/Nightlid/calibration.txt"));
    auto put = [&](const QByteArray& text) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    };
    for (const QByteArray& refused : {QByteArray("discharging_15:whatever"), QByteArray(4097, 'x'),
                                      QByteArray("scheduled:999999999999:80:0")}) {
        put("discharging_15:80:0");
        advance(2.5);
        c.updatePowerStatusUI();
        advance();
        ASSERT_TRUE(battery().adapterBypassed()) << "the discharge runs";
        EXPECT_EQ(text(c.calibrationStatusLabel), "Calibration: Phase 2 (Discharging to 15%)");
        put(refused);
        advance(2.5);
        c.updatePowerStatusUI();
        advance();
        EXPECT_FALSE(battery().adapterBypassed()) << refused.left(30).data();
        EXPECT_EQ(text(c.calibrationStatusLabel),
                  "Battery Calibration: Inactive (calibration file unusable)");
        EXPECT_FALSE(c.calibrationStatusLabel->toolTip().isEmpty());
        EXPECT_EQ(c.calibrationButton->title(), "Schedule Calibration");
        EXPECT_TRUE(c.chargeLimitCheckbox->isEnabled()) << "no phase runs";
    }
}
