// What the macOS backend decides about AppKit's windows and appearance, run here without AppKit.

#include "platform/mac/AppearanceWatch.h"
#include "platform/mac/PlacedWindowBehaviour.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

using namespace mac::WindowCollection;

TEST(MacPlacedWindows, StayWhenAnotherApplicationIsActiveAndJoinEverySpace) {
    // The overlay, the black windows, Zen and the break ask for this: they get it unchanged.
    const uint64_t fullScreen = canJoinAllSpaces | stationary | ignoresCycle | fullScreenAuxiliary;
    const auto overlay = mac::placedWindowBehaviour(fullScreen);
    EXPECT_EQ(overlay.collectionBehavior, fullScreen);
    EXPECT_TRUE(overlay.alwaysShowToolWindow) << "Qt would make it a panel that hides";
    EXPECT_FALSE(overlay.hidesOnDeactivate);
    EXPECT_FALSE(overlay.canHide);

    // The start overlay asks less; a window that asks nothing still shows on every Space.
    EXPECT_EQ(mac::placedWindowBehaviour(canJoinAllSpaces | fullScreenAuxiliary).collectionBehavior,
              canJoinAllSpaces | fullScreenAuxiliary);
    const auto plain = mac::placedWindowBehaviour(0);
    EXPECT_EQ(plain.collectionBehavior, canJoinAllSpaces);
    EXPECT_FALSE(plain.hidesOnDeactivate);

    // Exclusive requests, which AppKit refuses with an exception, come out as one of each.
    EXPECT_EQ(mac::placedWindowBehaviour(moveToActiveSpace | managed | stationary |
                                         participatesInCycle | ignoresCycle | fullScreenPrimary |
                                         fullScreenAuxiliary)
                  .collectionBehavior,
              canJoinAllSpaces | stationary | ignoresCycle | fullScreenAuxiliary);
    EXPECT_EQ(mac::placedWindowBehaviour(transient | managed | participatesInCycle |
                                         fullScreenNone | fullScreenPrimary)
                  .collectionBehavior,
              canJoinAllSpaces | transient | participatesInCycle | fullScreenNone);
}

TEST(MacAppearance, ObserversHearOnTheMainQueueOnlyWhenLightAndDarkSwap) {
    std::vector<std::function<void()>> mainQueue;
    auto runMainQueue = [&] {
        auto tasks = std::move(mainQueue);
        mainQueue.clear();
        for (auto& task : tasks)
            task();
    };
    auto watch = std::make_unique<mac::AppearanceWatch>(
        false, [&](std::function<void()> task) { mainQueue.push_back(std::move(task)); });
    int windowHeard = 0, iconHeard = 0;
    const int window = watch->add([&] { ++windowHeard; });
    int icon = 0;
    icon = watch->add([&] {
        ++iconHeard;
        watch->remove(icon); // one observer ends its own observation while it is called
    });
    EXPECT_NE(window, icon);

    // AppKit reports the first observation and an accent colour change: still light.
    watch->reported(false);
    EXPECT_TRUE(mainQueue.empty());
    EXPECT_FALSE(watch->isDark());

    watch->reported(true);
    EXPECT_TRUE(watch->isDark());
    EXPECT_EQ(windowHeard, 0) << "called from the main queue, not from AppKit's report";
    runMainQueue();
    EXPECT_EQ(windowHeard, 1);
    EXPECT_EQ(iconHeard, 1);

    // Removed before its queued call runs: not called.
    watch->reported(false);
    watch->remove(window);
    runMainQueue();
    EXPECT_EQ(windowHeard, 1);
    EXPECT_EQ(iconHeard, 1);

    // A watch gone before its queued calls run calls nothing.
    watch->add([&] { ++windowHeard; });
    watch->reported(true);
    watch.reset();
    runMainQueue();
    EXPECT_EQ(windowHeard, 1);
}
