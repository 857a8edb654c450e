#include "display/DisplayEngine.h"
#include "platform/sim/SimBrightness.h"
#include "platform/sim/SimWindowServer.h"
#include "support/VirtualMacTest.h"

#include <cmath>

// The default machine: 1 built-in panel, 2 and 3 two DELL monitors answering DDC/CI, 4 a TV
// that never answers.
class DisplayCommandsTest : public VirtualMacTest {
  protected:
    ControlledDisplay record(DisplayID id) {
        auto& engine = DisplayEngine::shared();
        engine.refreshDisplays();
        for (const auto& d : engine.displays)
            if (d.id == id) return d;
        ADD_FAILURE() << "display " << id << " not in the registry";
        return {};
    }
    void setBrightness(DisplayID id, float value) {
        DisplayEngine::shared().setBrightness(value, record(id));
        advance();
    }
    uint16_t luminance(DisplayID id) { return monitor(id).vcp(0x10)->current; }
    // The overlay as the window server shows it; -1 when there is none.
    double overlayAlpha(DisplayID id) {
        auto frame = mac().platform().displays->bounds(id);
        for (const auto& e : mac().windowServer().windowsOfKind("overlay"))
            if (e.window.frame == frame) return e.window.alphaValue;
        return -1;
    }
};

TEST_F(DisplayCommandsTest, BrightnessSplitsAtOneTenthBetweenDDCAndTheOverlay) {
    struct Case {
        float value;
        uint16_t ddc;
        double alpha; // -1: no overlay
    };
    const Case cases[] = {{0.55f, 50, -1}, {0.0f, 0, 0.95}, {0.05f, 0, 0.475}, {0.1f, 0, -1},
                          {1.0f, 100, -1}, {1.3f, 100, -1}, {-0.2f, 0, 0.95},  {0.15f, 6, -1}};
    const uint16_t neighbour = luminance(3);
    for (const auto& c : cases) {
        setBrightness(2, c.value);
        EXPECT_EQ(luminance(2), c.ddc) << "value " << c.value;
        EXPECT_NEAR(overlayAlpha(2), c.alpha, 1e-6) << "value " << c.value;
        EXPECT_EQ(DisplayEngine::shared().overlayWindows.count(2), c.alpha > 0 ? 1u : 0u);
    }
    EXPECT_TRUE(log().contains("DisplayEngine DDC write display=DELL U2723QE value=6 success=1"));
    EXPECT_EQ(luminance(3), neighbour) << "the identical monitor next to it is untouched";
}

TEST_F(DisplayCommandsTest, OverlayIsOneReusedPanelWithItsWindowSettings) {
    setBrightness(2, 0.05f);
    auto& overlays = DisplayEngine::shared().overlayWindows;
    ASSERT_EQ(overlays.count(2), 1u);
    auto first = overlays[2];
    EXPECT_EQ(first->frame(), mac().platform().displays->bounds(2));
    EXPECT_EQ(first->level(), 1000);
    EXPECT_TRUE(first->ignoresMouseEvents());
    EXPECT_FALSE(first->isOpaque());
    EXPECT_FALSE(first->isRestorable());
    EXPECT_EQ(first->backgroundColor(), appkit::blackColor);
    EXPECT_EQ(first->styleMask(),
              appkit::StyleMask::borderless | appkit::StyleMask::nonactivatingPanel);
    using namespace appkit::CollectionBehavior;
    EXPECT_EQ(first->collectionBehavior(),
              canJoinAllSpaces | fullScreenAuxiliary | stationary | ignoresCycle);
    // The window server is told, so a Mac's keeps the overlay on every Space.
    EXPECT_EQ(mac().windowServer().windowsOfKind("overlay")[0].window.collectionBehavior,
              first->collectionBehavior());

    setBrightness(2, 0.02f);
    EXPECT_EQ(overlays[2], first);
    EXPECT_EQ(mac().windowServer().windowsOfKind("overlay").size(), 1u);
    EXPECT_NEAR(overlayAlpha(2), 0.76, 1e-6);

    // The TV never answers DDC, yet the bottom tenth still darkens it.
    setBrightness(4, 0.0f);
    EXPECT_NEAR(overlayAlpha(4), 0.95, 1e-6);
    EXPECT_TRUE(log().contains("DisplayEngine DDC write display=LG TV SSCR2 value=0 success=0"));
}

TEST_F(DisplayCommandsTest, OverlayFollowsTheCallAndLeavesWithItsDisplay) {
    auto& engine = DisplayEngine::shared();
    engine.setBrightness(0.0f, record(3));
    EXPECT_TRUE(engine.overlayWindows.empty()) << "the overlay is changed on the next main turn";
    advance();
    EXPECT_EQ(engine.overlayWindows.count(3), 1u);

    mac().unplug(3);
    engine.refreshDisplays();
    EXPECT_EQ(engine.overlayWindows.count(3), 1u) << "until the queued clean-up runs";
    advance();
    EXPECT_TRUE(engine.overlayWindows.empty());
    EXPECT_TRUE(mac().windowServer().windows().empty());
}

TEST_F(DisplayCommandsTest, WaitingWritesAreReplacedByNewerOnesAndReadsSeeTheLast) {
    auto& engine = DisplayEngine::shared();
    auto dell = record(2);
    monitor(2).resetCounters();
    // Held while the user drags: each new value replaces the one still waiting.
    engine.ddcQueue.suspend();
    engine.setBrightness(0.2f, dell);
    engine.setVolume(0.333f, dell);
    engine.setBrightness(0.5f, dell);
    engine.setBrightness(0.9f, dell);
    EXPECT_EQ(engine.ddcQueue.pendingCount(), 2u) << "one brightness and one volume write";
    engine.ddcQueue.resume();
    // The read queues behind the writes, so it sees the last of them.
    auto read = engine.brightness(dell);
    ASSERT_TRUE(read.has_value());
    EXPECT_NEAR(*read, 0.9f, 0.001f) << "read back on the scale it was set on";
    // A write's second cycle goes to the back of the queue, so it may follow the read.
    engine.ddcQueue.drain();
    // Only the last value goes out, in the transport's two write cycles.
    EXPECT_EQ(monitor(2).valuesWritten(0x10), (std::vector<uint16_t>{89, 89}));
    EXPECT_EQ(monitor(2).vcp(0x62)->current, 33);
    // Every value the user set is logged once.
    for (int value : {11, 44, 89})
        EXPECT_TRUE(log().contains("DisplayEngine DDC write display=DELL U2723QE value=" +
                                   std::to_string(value) + " success=1"))
            << value;
    EXPECT_TRUE(
        log().contains("DisplayEngine DDC volume write display=DELL U2723QE value=33 success=1"));

    // A value set once more after the drag still reaches the monitor, twice.
    engine.setBrightness(0.5f, dell);
    engine.ddcQueue.drain();
    engine.ddcQueue.drain();
    EXPECT_EQ(monitor(2).valuesWritten(0x10), (std::vector<uint16_t>{89, 89, 44, 44}));

    EXPECT_TRUE(engine.setPowerState(4, dell));
    EXPECT_EQ(monitor(2).vcp(0xD6)->current, 4);
    EXPECT_TRUE(
        log().contains("DisplayEngine DDC power write display=DELL U2723QE value=4 success=1"));
    EXPECT_FALSE(engine.setPowerState(4, record(1))) << "built-in panels take no DDC";
    EXPECT_FALSE(engine.setPowerState(4, record(4))) << "the TV never answers";
    EXPECT_TRUE(
        log().contains("DisplayEngine DDC power write display=LG TV SSCR2 value=4 success=0"));
}

TEST_F(DisplayCommandsTest, ReadingBrightnessGuardsAgainstOddMaximaAndDeadLinks) {
    auto& engine = DisplayEngine::shared();
    monitor(2).setVcp(0x10, {30, 0});
    EXPECT_FALSE(engine.brightness(record(2)).has_value()) << "maximum 0";
    monitor(2).setVcp(0x10, {140, 100});
    EXPECT_FLOAT_EQ(*engine.brightness(record(2)), 1.0f);
    monitor(2).setVcp(0x10, {25, 50});
    EXPECT_FLOAT_EQ(*engine.brightness(record(2)), 0.55f) << "half the DDC range above 0.1";

    // What was set reads back as set, the overlay's tenth included.
    monitor(2).setVcp(0x10, {50, 100});
    for (float value : {0.0f, 0.04f, 0.1f, 0.37f, 0.8f, 1.0f}) {
        engine.setBrightness(value, record(2));
        advance();
        EXPECT_NEAR(*engine.brightness(record(2)), value, 0.006f) << value;
    }

    auto dell = record(3);
    monitor(3).setAnswers(false);
    monitor(3).resetCounters();
    EXPECT_FALSE(engine.brightness(dell).has_value());
    EXPECT_EQ(monitor(3).writeCount(), 3 * 2) << "three attempts of two write cycles";
    EXPECT_FALSE(engine.brightness(record(4)).has_value());
}

TEST_F(DisplayCommandsTest, BuiltInPanelGoesThroughDisplayServicesAndTakesNoVolume) {
    auto& engine = DisplayEngine::shared();
    auto panel = record(1);
    engine.setBrightness(0.3f, panel);
    EXPECT_FLOAT_EQ(mac().description().displays[0].brightness, 0.3f);
    EXPECT_FLOAT_EQ(*engine.brightness(panel), 0.3f);
    advance();
    EXPECT_TRUE(engine.overlayWindows.empty());
    engine.setVolume(0.7f, panel);
    advance();
    for (auto id : {2u, 3u})
        EXPECT_EQ(monitor(id).vcp(0x62)->current, id == 2 ? 30 : 20);

    auto without = sim::VirtualMac::defaultDescription();
    without.hasDisplayServices = false;
    boot(without);
    DisplayEngine::shared().setBrightness(0.1f, record(1));
    EXPECT_FLOAT_EQ(mac().description().displays[0].brightness, 0.8f);
    EXPECT_FALSE(DisplayEngine::shared().brightness(record(1)).has_value());
}

TEST_F(DisplayCommandsTest, ADisplayThatLeftTheRegistryIsStillTriedWithTheCallersRecord) {
    auto& engine = DisplayEngine::shared();
    auto dell = record(2);
    mac().unplug(2);
    engine.setBrightness(0.55f, dell);
    advance();
    EXPECT_TRUE(log().contains("DisplayEngine DDC write display=DELL U2723QE value=50 success=0"));
    engine.setBrightness(0.0f, dell);
    advance();
    EXPECT_TRUE(engine.overlayWindows.empty()) << "an offline display has no screen to cover";
}

TEST_F(DisplayCommandsTest, AMonitorCountingTo255IsWrittenOnTheScaleItIsReadOn) {
    auto m = sim::VirtualMac::defaultDescription();
    m.displays[1].monitor->vcp[0x10] = {128, 255};
    boot(m);
    auto& engine = DisplayEngine::shared();
    const auto dell = record(2);
    // Read, written back, read again, many times over: it stays at 128.
    for (int i = 0; i < 5; ++i) {
        const auto read = engine.brightness(dell);
        ASSERT_TRUE(read);
        setBrightness(2, *read);
        EXPECT_EQ(luminance(2), 128) << "round " << i;
    }
    setBrightness(2, 1.0f);
    EXPECT_EQ(luminance(2), 255);
    setBrightness(2, 0.55f);
    EXPECT_EQ(luminance(2), 128) << "(0.55 - 0.1) / 0.9 of 255";
    EXPECT_TRUE(log().contains("DisplayEngine DDC write display=DELL U2723QE value=128 success=1"));
}
