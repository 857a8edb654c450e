#include "app/AppTestSupport.h"

#include "appkit/ViewLookup.h"
#include "appkit/Window.h"
#include "display/DisplayEngine.h"
#include "platform/RunLoop.h"
#include "platform/sim/SimWindowServer.h"
#include "ui/CardView.h"

#include <QScrollArea>

#include <algorithm>

namespace {

bool inRegistry(DisplayID id) {
    const auto& d = DisplayEngine::shared().displays;
    return std::any_of(d.begin(), d.end(), [&](const auto& x) { return x.id == id; });
}

} // namespace

TEST_F(AppTest, LaunchAsksTheCompetingUtilityToQuitAndOpensTheWindow) {
    auto m = laptopWithTwoMonitors();
    m.runningApps = {{BlackoutController::competingMonitorControlBundleID, "MonitorControl"},
                     {"com.apple.Safari", "Safari"}};
    boot(m);
    launch();
    EXPECT_EQ(mac().terminateRequests(BlackoutController::competingMonitorControlBundleID), 1);
    EXPECT_EQ(mac().terminateRequests("com.apple.Safari"), 0);
    ASSERT_TRUE(controller().controlWindow);
    EXPECT_TRUE(controller().controlWindow->isVisible());

    // Nothing to quit: launch goes on all the same.
    boot(laptopWithTwoMonitors());
    launch();
    EXPECT_EQ(mac().terminateRequests(BlackoutController::competingMonitorControlBundleID), 0);
    EXPECT_TRUE(controller().controlWindow->isVisible());

    // Reopening shows the window again after the user closed it.
    controller().controlWindow->close();
    EXPECT_TRUE(delegate().applicationShouldHandleReopen(false));
    EXPECT_TRUE(controller().controlWindow->isVisible());
}

TEST_F(AppTest, TheWindowIsNotFittedWhileInTheDock) {
    launch();
    auto& window = *controller().controlWindow;
    const int fitted = window.frameHeight();
    window.miniaturize();
    window.setFrameHeight(fitted - 100);
    controller().adjustWindowHeight();
    EXPECT_EQ(window.frameHeight(), fitted - 100) << "left alone while miniaturized";
    EXPECT_TRUE(log().contains(">>> [TRACER] adjustWindowHeight guard failed."));
    window.deminiaturize();
    controller().adjustWindowHeight();
    EXPECT_EQ(window.frameHeight(), fitted) << "the next fitting corrects it";
}

TEST_F(AppTest, WindowHeightStopsShortOfTheTallestScreenAndThemeComesFromDefaults) {
    auto m = laptopWithTwoMonitors();
    for (auto& d : m.displays)
        d.visibleFrame = {d.frame.x, d.frame.y, d.frame.width, 150};
    m.displays[1].visibleFrame.height = 200;
    boot(m);
    defaults().set("appTheme", "dark");
    launch();
    EXPECT_EQ(controller().controlWindow->contentSize().height(), 200 - 60);
    EXPECT_EQ(controller().controlWindow->effectiveAppearance(), appkit::Appearance::darkAqua);

    defaults().set("appTheme", "light");
    controller().controlWindow->close();
    controller().showControlWindow();
    EXPECT_EQ(controller().controlWindow->appearance(), appkit::Appearance::aqua);

    // Anything else follows the system.
    defaults().set("appTheme", "blue");
    controller().controlWindow->close();
    controller().showControlWindow();
    EXPECT_FALSE(controller().controlWindow->appearance().has_value());

    // Plenty of room: the window fits its column plus 24 points.
    boot(laptopWithTwoMonitors());
    launch();
    int h = controller().controlWindow->contentSize().height();
    EXPECT_GT(h, 3 * 16 + 2 * 20 + 24);
    EXPECT_LE(h, 1440 - 60) << "the tallest screen less 60 points";

    // A machine that keeps its windows in a smaller area (the simulator's host screen): the window
    // and its scroller follow that room, so every card stays reachable.
    boot(laptopWithTwoMonitors());
    mac().windowServer().setOrdinaryWindowArea(platform::Rect{0, 0, 600, 500});
    defaults().set("collapseDisplay_external_2", true);
    defaults().set("collapseDisplay_external_3", true);
    launch();
    EXPECT_LE(controller().controlWindow->frameHeight(), 500);
    // Folding one more card leaves the column shorter than the tallest screen but still taller
    // than the room: the scroller stays, so the lower cards can be reached.
    for (auto* card : appkit::subviews<ui::CollapsibleCard>(controller().controlWindow->widget()))
        if (card->key() == "collapseSystemCard") card->toggleCollapsed();
    advance(1); // the fold's animation ends
    const int column = controller().mainScrollView->widget()->sizeHint().height();
    ASSERT_GT(column, 500);
    ASSERT_LT(column, 1440 - 60);
    EXPECT_EQ(controller().mainScrollView->verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
}

TEST_F(AppTest, ScreenChangesRebuildTheWindowOnlyWhenTheDisplaysChange) {
    launch();
    markControlWindow();

    // The same displays, window built: left alone.
    controller().screenConfigurationChanged();
    EXPECT_TRUE(controlWindowIsMarked());

    // A monitor goes: the registry follows and the window is rebuilt; the cache keeps it.
    ASSERT_TRUE(mac().unplug(3));
    advance();
    EXPECT_FALSE(inRegistry(3));
    EXPECT_FALSE(controlWindowIsMarked());
    EXPECT_TRUE(controller().controlWindow->isVisible());
    EXPECT_EQ(cardTitles().size(), 2u + 3u)
        << "two display cards, the system, keep-awake and battery cards";
    EXPECT_TRUE(controller().cachedDisplaysByID.count(3));

    // Closed by the user and nothing changed: it stays closed.
    controller().controlWindow->close();
    controller().screenConfigurationChanged();
    EXPECT_FALSE(controller().controlWindow->isVisible());

    // Closed by the user and a monitor comes back: shown again, with the monitor.
    ASSERT_TRUE(mac().plug(3));
    advance();
    EXPECT_TRUE(controller().controlWindow->isVisible());
    EXPECT_EQ(cardTitles().size(), 3u + 3u);

    // Protector mode ignores the change entirely, registry included.
    markControlWindow();
    controller().isProtecting = true;
    ASSERT_TRUE(mac().unplug(2));
    advance();
    EXPECT_TRUE(controlWindowIsMarked());
    EXPECT_TRUE(inRegistry(2));
}

TEST_F(AppTest, QuittingStopsTheSyncTimerAndTheScreenObservation) {
    launch();
    int ticks = 0;
    controller().syncTimer =
        platform::mainQueue().scheduleRepeating(1.0, [&](platform::Timer&) { ++ticks; });
    advance(2);
    ASSERT_EQ(ticks, 2);
    EXPECT_EQ(mac().screenObserverCount(), 1);

    delegate().applicationWillTerminate();
    EXPECT_FALSE(controller().syncTimer);
    EXPECT_EQ(mac().screenObserverCount(), 0);
    markControlWindow();
    ASSERT_TRUE(mac().unplug(3));
    advance(3);
    EXPECT_EQ(ticks, 2);
    EXPECT_TRUE(controlWindowIsMarked());

    // A fresh controller observes again; the old one left nothing behind.
    BlackoutController::tearDownShared();
    controller();
    EXPECT_EQ(mac().screenObserverCount(), 1);
}
