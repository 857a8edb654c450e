#include "appkit/Button.h"
#include "appkit/PopUpButton.h"
#include "appkit/Slider.h"
#include "platform/sim/SimBattery.h"
#include "support/PowerTestSupport.h"

#include "platform/SystemPaths.h"
#include "platform/sim/SimRegistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLayout>

#include <sys/stat.h>
#include <unistd.h>

namespace {

class StandbyTest : public PowerTest {
  protected:
    int assertions(const std::string& name) {
        int n = 0;
        for (const auto& a : mac().battery().assertions())
            n += a.name == name;
        return n;
    }
    static constexpr const char* standby = "Night Lid - Remote Standby";
};

} // namespace

TEST_F(StandbyTest, IdleMinuteEntersStandbyAndOnlyAPhysicalClickAfterTwoSecondsEndsIt) {
    auto& c = controller();
    EXPECT_EQ(c.remoteStandbyTimeoutPopup->indexOfSelectedItem(), 2) << "5 minutes untouched";
    EXPECT_EQ(c.keepAwakeTurnOffScreenCheckbox->state(), appkit::ControlState::on);
    c.toggleDisplayPowerByID(3); // off before standby
    advance();
    c.remoteStandbyTimeoutPopup->selectItem(0);
    c.remoteStandbyTimeoutChanged(*c.remoteStandbyTimeoutPopup);
    c.autoRemoteStandbyCheckbox->performClick();
    EXPECT_EQ(defaults().integer("autoRemoteStandbyTimeout"), 60);
    EXPECT_EQ(assertions(standby), 1);
    mac().input().moveMouse();
    advance(58, 0.5);
    EXPECT_FALSE(c.isRemoteStandbyActive);
    advance(3);
    EXPECT_TRUE(c.isRemoteStandbyActive);
    EXPECT_FALSE(c.idleCheckTimer);
    EXPECT_EQ(c.poweredOffBrightnesses.size(), 4u);
    EXPECT_EQ(gamma(2), "black");
    EXPECT_EQ(mac().description().keyboardBacklights[0].level, 0.0f);
    EXPECT_EQ(assertions(standby), 1) << "one assertion, not two";

    // Moving the mouse and a click from remote-control software leave it dark.
    mac().input().moveMouse();
    mac().input().clickInOtherApplication(4242);
    advance(2);
    EXPECT_TRUE(c.isRemoteStandbyActive);
    mac().input().clickInOtherApplication(0);
    advance(0.5);
    EXPECT_FALSE(c.isRemoteStandbyActive);
    EXPECT_TRUE(c.poweredOffBrightnesses.empty()) << "the display off before comes back too";
    EXPECT_EQ(gamma(3), "identity");
    EXPECT_FLOAT_EQ(mac().description().keyboardBacklights[0].level, 0.5f);
    EXPECT_EQ(assertions(standby), 1) << "keep awake still holds it";
    EXPECT_TRUE(c.idleCheckTimer);

    // The button enters at once; its own click within 2 seconds does not end it.
    c.startRemoteStandbyButton->performClick();
    mac().input().clickInOtherApplication(0);
    advance(1);
    EXPECT_TRUE(c.isRemoteStandbyActive);
    advance(1.5);
    mac().input().clickInOtherApplication(0);
    advance(0.5);
    EXPECT_FALSE(c.isRemoteStandbyActive);
}

TEST_F(StandbyTest, KeepAwakeWithoutScreenOffOnlyHoldsTheAssertion) {
    auto& c = controller();
    c.keepAwakeTurnOffScreenCheckbox->performClick();
    EXPECT_EQ(defaults().boolValue("keepAwakeTurnOffScreen"), false);
    c.autoRemoteStandbyCheckbox->performClick();
    advance(400, 0.5);
    EXPECT_FALSE(c.isRemoteStandbyActive);
    EXPECT_EQ(assertions(standby), 1);
    c.autoRemoteStandbyCheckbox->performClick();
    EXPECT_EQ(assertions(standby), 0);
    // Screen-off on again, keep awake on: the default 300 seconds apply.
    c.keepAwakeTurnOffScreenCheckbox->performClick();
    mac().input().moveMouse(); // idle counts from the last input
    c.autoRemoteStandbyCheckbox->performClick();
    advance(298, 0.5);
    EXPECT_FALSE(c.isRemoteStandbyActive);
    advance(3);
    EXPECT_TRUE(c.isRemoteStandbyActive);
}

TEST_F(StandbyTest, TheTraceIsKeptOnlyWhenItsFileExistsAndChoicesSurviveARebuild) {
    auto& c = controller();
    const QString trace =
        QString::fromStdString(platform().paths->map(BlackoutController::standbyTracePath));
    c.startRemoteStandbyButton->performClick();
    advance(3);
    mac().input().clickInOtherApplication(0);
    advance(0.5);
    EXPECT_FALSE(c.isRemoteStandbyActive);
    EXPECT_FALSE(QFile::exists(trace)) << "never created by the program";

    QDir().mkpath(QFileInfo(trace).absolutePath());
    {
        QFile f(trace);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    c.startRemoteStandbyButton->performClick();
    advance(3);
    mac().input().clickInOtherApplication(0);
    advance(0.5);
    QFile f(trace);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString written = QString::fromUtf8(f.readAll());
    EXPECT_TRUE(written.contains(">>> ENTER REMOTE STANDBY")) << written.toStdString();
    EXPECT_TRUE(written.startsWith("[2026-03-02 00:00:"))
        << "UTC wall clock: " << written.toStdString();

    // A FIFO or a link at the trace's name is never opened nor followed: keep-awake still ends
    // and every screen comes back.
    f.close();
    const std::string outside = QFileInfo(trace).absolutePath().toStdString() + "/outside.txt";
    const uint16_t lit = luminance(3);
    auto keepAwakeThenClick = [&](const char* what) {
        c.startRemoteStandbyButton->performClick();
        advance(3);
        EXPECT_TRUE(c.isRemoteStandbyActive) << what;
        EXPECT_EQ(gamma(2), "black") << what;
        mac().input().clickInOtherApplication(0);
        advance(0.5);
        EXPECT_FALSE(c.isRemoteStandbyActive) << what;
        EXPECT_EQ(gamma(2), "identity") << what;
        EXPECT_EQ(luminance(3), lit) << what;
    };
    QFile::remove(trace);
    ASSERT_EQ(::mkfifo(trace.toLocal8Bit().constData(), 0600), 0);
    keepAwakeThenClick("a FIFO");
    EXPECT_TRUE(log().contains("Nightlid: keep-awake trace not written: " + trace.toStdString() +
                               " is a FIFO (named pipe), not a file"));
    QFile::remove(trace);
    { QFile(QString::fromStdString(outside)).open(QIODevice::WriteOnly); }
    ASSERT_EQ(::symlink(outside.c_str(), trace.toLocal8Bit().constData()), 0);
    keepAwakeThenClick("a link");
    EXPECT_EQ(QFileInfo(QString::fromStdString(outside)).size(), 0) << "not written through";
    QFile::remove(trace);

    // The choices are stored and the rebuilt card shows them.
    c.remoteStandbyTimeoutPopup->performSelect(5);
    c.autoRemoteStandbyCheckbox->performClick();
    c.keepAwakeTurnOffScreenCheckbox->performClick();
    EXPECT_EQ(defaults().integer("autoRemoteStandbyTimeout"), 1800);
    c.languageChanged(1);
    advance();
    EXPECT_EQ(c.remoteStandbyTimeoutPopup->indexOfSelectedItem(), 5);
    EXPECT_EQ(c.autoRemoteStandbyCheckbox->state(), appkit::ControlState::on);
    EXPECT_EQ(c.keepAwakeTurnOffScreenCheckbox->state(), appkit::ControlState::off);
    EXPECT_EQ(c.remoteStandbyTimeoutPopup->itemTitles().front(), "1m");

    // An unreadable idle time counts as no idle time: standby never starts by itself.
    c.keepAwakeTurnOffScreenCheckbox->performClick();
    auto* registry = dynamic_cast<sim::SimRegistry*>(platform().ioRegistry);
    ASSERT_TRUE(registry);
    registry->setServiceProperties(
        "IOHIDSystem", [] { return std::optional<platform::Value>(platform::Value()); });
    advance(1900, 2);
    EXPECT_FALSE(c.isRemoteStandbyActive);
}

TEST_F(StandbyTest, EachSuffixFollowsItsCheckboxTitle) {
    launch();
    auto& c = controller();
    ASSERT_TRUE(c.autoRemoteStandbyCheckbox && c.keepAwakeTurnOffScreenCheckbox);
    for (appkit::Button* box : {c.autoRemoteStandbyCheckbox, c.keepAwakeTurnOffScreenCheckbox}) {
        auto* rowView = box->parentWidget();
        // Laid out at the row's width, as on screen.
        rowView->layout()->activate();
        rowView->layout()->setGeometry(rowView->rect());
        QLabel* suffix = nullptr;
        for (auto* l : rowView->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
            if (l->text().startsWith(" (")) suffix = l;
        ASSERT_TRUE(suffix) << box->title();
        // From the end of the title as drawn (the checkbox widget may be wider than its title).
        const int gap =
            suffix->geometry().left() - (box->geometry().left() + box->sizeHint().width());
        EXPECT_LE(gap, 16) << box->title() << ": the suffix sits " << gap << " px away";
    }
}
