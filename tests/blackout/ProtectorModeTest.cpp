#include "blackout/BlackoutWindow.h"
#include "support/PowerTestSupport.h"

namespace {

constexpr uint16_t kEscape = 53;

const platform::PlacedWindow* protectorWindow(sim::VirtualMac& mac) {
    static platform::PlacedWindow shown;
    auto w = mac.windowServer().windowsOfKind("protector");
    if (w.empty()) return nullptr;
    shown = w.back().window;
    return &shown;
}

void send(sim::VirtualMac& mac, platform::EventType type) {
    auto w = mac.windowServer().windowsOfKind("protector");
    ASSERT_FALSE(w.empty());
    platform::Event e;
    e.type = type;
    mac.windowServer().sendEvent(w.back().number, e);
}

} // namespace

TEST_F(PowerTest, ProtectorCoversThePanelUntilAClickKeyOrScroll) {
    auto& c = controller();
    item().click(platform::EventType::rightMouseUp, {});
    item().lastMenu()->items[0].action(); // "수명 보호 모드 켜기"
    advance();
    ASSERT_TRUE(protectorWindow(mac()));
    auto w = *protectorWindow(mac());
    EXPECT_EQ(w.frame, mac().platform().displays->bounds(1));
    EXPECT_EQ(w.level, 1000);
    EXPECT_TRUE(w.opaque);
    EXPECT_FALSE(w.hasShadow);
    EXPECT_FALSE(w.ignoresMouseEvents);
    EXPECT_EQ(w.background, appkit::blackColor);
    EXPECT_TRUE(mac().windowServer().keyWindow().has_value());
    EXPECT_TRUE(c.isProtecting);
    EXPECT_FLOAT_EQ(panel(), 0.0f);
    EXPECT_EQ(luminance(2), 50) << "the monitors keep working";

    c.start();
    EXPECT_EQ(mac().windowServer().windowsOfKind("protector").size(), 1u);

    send(mac(), platform::EventType::mouseMoved);
    advance();
    EXPECT_TRUE(c.isProtecting) << "moving the mouse does not end it";

    for (auto type : {platform::EventType::leftMouseDown, platform::EventType::rightMouseDown,
                      platform::EventType::otherMouseDown, platform::EventType::scrollWheel}) {
        c.start();
        advance();
        send(mac(), type);
        advance(0.3);
        EXPECT_FALSE(c.isProtecting);
        EXPECT_FALSE(c.window);
        EXPECT_FALSE(protectorWindow(mac()));
        EXPECT_FLOAT_EQ(panel(), 0.8f);
        EXPECT_EQ(c.lastBuiltInBrightness, 0.8f) << "the baseline is read again afterwards";
    }

    c.start();
    mac().input().pressKeyInApplication(0); // "A" reaches the key window
    advance();
    EXPECT_FALSE(c.isProtecting);
}

TEST_F(PowerTest, EscapeAnywhereBringsEveryDarkDisplayBack) {
    auto& c = controller();
    c.toggleDisplayPowerByID(2);
    c.toggleDisplayPowerByID(3);
    advance();
    const int resets = mac().brightness().colorSyncResets();

    mac().input().pressKeyInOtherApplication(0);
    advance();
    EXPECT_EQ(c.poweredOffBrightnesses.size(), 2u) << "only Escape counts";

    mac().input().pressKeyInOtherApplication(kEscape);
    advance(0.4);
    EXPECT_TRUE(c.poweredOffBrightnesses.empty());
    EXPECT_EQ(gamma(2), "identity");
    EXPECT_EQ(gamma(3), "identity");
    EXPECT_EQ(luminance(3), 70) << "back at the VCP it had when it went off";
    EXPECT_EQ(mac().brightness().colorSyncResets(), resets + 1);

    // Locally: consumed while something is dark, passed on when nothing is.
    c.start();
    mac().input().pressKeyInApplication(kEscape);
    advance();
    EXPECT_FALSE(c.isProtecting);
    EXPECT_EQ(mac().input().keysReachingApplication(), 0);
    mac().input().pressKeyInApplication(kEscape);
    mac().input().pressKeyInApplication(0);
    advance();
    EXPECT_EQ(mac().input().keysReachingApplication(), 2);
}

TEST_F(PowerTest, LidClosedCoversTheMainMonitorAndAlertsWhenNothingCanBeCovered) {
    auto lidClosed = sim::VirtualMac::defaultDescription();
    lidClosed.displays[0].online = false;
    boot(lidClosed);
    launch();
    auto& c = controller();
    c.start();
    advance();
    ASSERT_TRUE(protectorWindow(mac()));
    EXPECT_EQ(protectorWindow(mac())->frame, mac().platform().screens->screens().front().frame);
    EXPECT_FALSE(c.brightnessController->savedDisplayServicesBrightness)
        << "a monitor has no DisplayServices brightness to save";
    c.stop();
    advance(0.3);

    auto noScreens = sim::VirtualMac::defaultDescription();
    for (auto& d : noScreens.displays)
        d.hasScreen = false;
    boot(noScreens);
    launch();
    mac().alerts().queueAnswers({0});
    controller().start();
    ASSERT_EQ(mac().alerts().shown().size(), 1u);
    EXPECT_EQ(mac().alerts().shown()[0].messageText, "화면을 찾을 수 없습니다");
    EXPECT_EQ(mac().alerts().shown()[0].informativeText,
              "검정 화면을 표시할 디스플레이를 찾지 못했습니다.");
    EXPECT_FALSE(controller().isProtecting);

    auto unnumbered = sim::VirtualMac::defaultDescription();
    unnumbered.displays[0].screenHasNumber = false;
    for (size_t i = 1; i < unnumbered.displays.size(); ++i)
        unnumbered.displays[i].hasScreen = false;
    unnumbered.preferredLanguages = {"en-US"};
    boot(unnumbered);
    launch();
    mac().alerts().queueAnswers({0});
    controller().start();
    ASSERT_EQ(mac().alerts().shown().size(), 1u);
    EXPECT_EQ(mac().alerts().shown()[0].messageText, "Display Not Found");
    EXPECT_EQ(mac().alerts().shown()[0].informativeText,
              "Failed to find display brightness information.");
    EXPECT_FALSE(controller().window);
    EXPECT_FLOAT_EQ(panel(), 0.8f) << "nothing is dimmed";
}

TEST_F(PowerTest, CursorHidesOnceHoweverOftenItIsAskedTo) {
    auto& c = controller();
    c.setCursorHidden(true);
    c.setCursorHidden(true);
    EXPECT_EQ(mac().input().cursorHideCount(), 1);
    c.setCursorHidden(false);
    EXPECT_TRUE(mac().input().cursorVisible());
    c.setCursorHidden(false);
    EXPECT_EQ(mac().input().cursorHideCount(), 0);
}

TEST_F(PowerTest, QuittingBringsDisplaysBackAndEndsProtectorMode) {
    auto& c = controller();
    c.toggleDisplayPowerByID(2);
    c.start();
    advance();
    ASSERT_EQ(mac().input().localMonitorCount(), 1);
    delegate().applicationWillTerminate();
    advance(0.4);
    EXPECT_TRUE(c.poweredOffBrightnesses.empty());
    EXPECT_EQ(gamma(2), "identity");
    EXPECT_FALSE(c.isProtecting);
    EXPECT_FALSE(protectorWindow(mac()));
    EXPECT_FLOAT_EQ(panel(), 0.8f);
    EXPECT_FALSE(c.escapeKeyMonitor);
    EXPECT_EQ(mac().input().localMonitorCount(), 0);
}
