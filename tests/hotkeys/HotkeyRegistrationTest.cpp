#include "hotkeys/HotkeyTestSupport.h"

TEST_F(HotkeyTest, DefaultsFollowBuiltInThenIDOrderAndToggleTheirOwnDisplay) {
    // Two identical monitors: ⌃⌥⌘3 switches the second one off and on, over DDC and gamma.
    boot(sim::VirtualMac::defaultDescription());
    launch();
    EXPECT_EQ(held(),
              (std::vector<std::string>{"1:18/6400", "2:19/6400", "3:20/6400", "4:21/6400"}));
    controller().controlWindow->close();
    pressElsewhere(20, ctrlOptCmd);
    EXPECT_EQ(monitor(3).vcp(0x10)->current, 0);
    EXPECT_EQ(gamma(3), "black");
    EXPECT_EQ(gamma(2), "identity");
    EXPECT_EQ(monitor(2).vcp(0x10)->current, 50);
    EXPECT_FALSE(button(3).isActive());
    EXPECT_TRUE(button(2).isActive());
    pressElsewhere(20, ctrlOptCmd);
    advance(0.4);
    EXPECT_EQ(gamma(3), "identity");
    EXPECT_EQ(monitor(3).vcp(0x10)->current, 70);
    EXPECT_TRUE(button(3).isActive());

    // The combination without one of its modifiers is an ordinary key.
    pressElsewhere(20, 2304);
    EXPECT_EQ(gamma(3), "identity");
    EXPECT_EQ(mac().input().keysReachingOtherApplication(), 1);

    // The panel comes first whatever its ID; the others by ascending ID, not list order.
    auto m = laptopWithTwoMonitors();
    m.displays[0].id = 7;
    m.displays[1].id = 5;
    m.displays[2].id = 4;
    boot(m);
    launch();
    EXPECT_EQ(held(), (std::vector<std::string>{"4:19/6400", "5:20/6400", "7:18/6400"}));
    EXPECT_EQ(button(7).title(), "⌃⌥⌘1");
    EXPECT_EQ(button(4).title(), "⌃⌥⌘2");
    pressElsewhere(20, ctrlOptCmd);
    EXPECT_EQ(gamma(5), "black");
    EXPECT_EQ(gamma(4), "identity");
}

TEST_F(HotkeyTest, EleventhDisplayStoredZeroAndUnusableStoredPairs) {
    auto m = laptopWithTwoMonitors();
    m.displays.resize(1);
    for (DisplayID id = 2; id <= 11; ++id)
        m.displays.push_back(displayDescription(id, false, {1512.0 * id, 0, 1512, 982},
                                                "Monitor " + std::to_string(id)));
    boot(m);
    // Code 0 is the A key; a pair no key could make, or a bare key without a modifier, reads as
    // nothing stored. A whole number written as 40.0 reads as 40, as macOS reads it.
    defaults().set("hotkeyCode.Monitor 2", int64_t(0));
    defaults().set("hotkeyModifiers.Monitor 2", int64_t(256));
    defaults().set("hotkeyCode.Monitor 5", 40.0);
    defaults().set("hotkeyModifiers.Monitor 5", 768.0);
    defaults().set("hotkeyCode.Monitor 6", int64_t(40));
    defaults().set("hotkeyModifiers.Monitor 6", int64_t(1));
    defaults().set("hotkeyCode.Monitor 7", int64_t(40)); // no modifiers stored
    defaults().set("hotkeyCode.Monitor 3", int64_t(70000));
    defaults().set("hotkeyModifiers.Monitor 3", int64_t(256));
    defaults().set("hotkeyCode.Monitor 4", int64_t(40));
    defaults().set("hotkeyModifiers.Monitor 4", int64_t(-1));
    launch();
    auto& c = controller();
    auto display = [&](DisplayID id) {
        for (const auto& d : c.displayEngine.displays)
            if (d.id == id) return d;
        throw std::runtime_error("no display");
    };
    EXPECT_EQ(c.hotkey(display(2)), (BlackoutController::Hotkey{0, 256})) << "⌘A";
    EXPECT_EQ(c.hotkey(display(5)), (BlackoutController::Hotkey{40, 768}));
    EXPECT_EQ(c.hotkey(display(6)), (BlackoutController::Hotkey{22, ctrlOptCmd})) << "its default";
    EXPECT_EQ(c.hotkey(display(7)), (BlackoutController::Hotkey{26, ctrlOptCmd}));
    EXPECT_EQ(c.hotkey(display(3)), (BlackoutController::Hotkey{20, ctrlOptCmd}));
    EXPECT_EQ(c.hotkey(display(4)), (BlackoutController::Hotkey{21, ctrlOptCmd}));
    EXPECT_EQ(c.hotkey(display(10)), (BlackoutController::Hotkey{29, ctrlOptCmd}));
    EXPECT_FALSE(c.hotkey(display(11)));
    EXPECT_EQ(held().size(), 10u);
    EXPECT_EQ(c.hotKeyRefs.count(2), 1u) << "⌘A is held";
    EXPECT_EQ(c.hotKeyRefs.count(11), 0u);
    EXPECT_EQ(button(11).title(), "단축키");
    english();
    EXPECT_EQ(button(11).title(), "Shortcut");
}

TEST_F(HotkeyTest, CombinationsAlreadyHeldAreRefusedAndLoggedTheRestStillRegister) {
    auto m = sim::VirtualMac::defaultDescription(); // monitors 2 and 3 share a name
    // Only a combination held exclusively refuses ours; a plain registration elsewhere does not.
    m.otherApplicationHotkeys = {{49, 256, "Spotlight", true}, {18, 6400, "Clipboard", false}};
    boot(m);
    defaults().set("hotkeyCode.DELL U2723QE", int64_t(40));
    defaults().set("hotkeyModifiers.DELL U2723QE", int64_t(768));
    defaults().set("hotkeyCode.LG TV SSCR2", int64_t(49));
    defaults().set("hotkeyModifiers.LG TV SSCR2", int64_t(256));
    launch();
    // The second DELL keeps its own default instead of losing its hotkey to the first.
    EXPECT_EQ(held(), (std::vector<std::string>{"1:18/6400", "2:40/768", "3:20/6400"}));
    EXPECT_FALSE(log().contains("Failed to register global hotkey for DELL U2723QE, error: -9878"));
    EXPECT_TRUE(log().contains("Failed to register global hotkey for LG TV SSCR2, error: -9878"));
    int refusals = 0;
    for (const auto& line : log().lines())
        refusals += line.rfind("Failed to register global hotkey", 0) == 0;
    EXPECT_EQ(refusals, 1);
    // Every pill shows what works: the refused one is marked, with the reason as its tip.
    EXPECT_EQ(button(2).title(), "⇧⌘K");
    EXPECT_EQ(button(3).title(), "⌃⌥⌘3");
    EXPECT_EQ(button(4).title(), "⚠ ⌘Space");
    EXPECT_EQ(button(4).toolTip().toStdString(),
              "이 단축키는 다른 곳에서 사용 중이라 작동하지 않습니다 (오류 -9878)");

    // Each answers for its own display; the held one goes to its owner.
    pressElsewhere(40, 768);
    EXPECT_EQ(controller().poweredOffBrightnesses.count(2), 1u);
    EXPECT_EQ(controller().poweredOffBrightnesses.count(3), 0u);
    pressElsewhere(20, ctrlOptCmd);
    EXPECT_EQ(controller().poweredOffBrightnesses.count(3), 1u);
    pressElsewhere(49, 256);
    EXPECT_EQ(controller().poweredOffBrightnesses.count(4), 0u);
    EXPECT_EQ(mac().hotkeys().foreignPresses(), (std::vector<std::string>{"Spotlight: 49 256"}));

    // Unplugged, the display's combination is let go at the next configuration change.
    ASSERT_TRUE(mac().unplug(2));
    advance();
    EXPECT_EQ(held(), (std::vector<std::string>{"1:18/6400", "3:40/768"}));

    // A press whose identifier cannot be read does nothing and counts as handled.
    struct Unreadable : platform::HotkeyPressedEvent {
        platform::OSStatus directObject(platform::EventHotKeyID&) const override {
            return platform::eventParameterNotFoundErr;
        }
    };
    // Neither a press without an identifier nor one for a display that is gone does anything.
    mac().hotkeys().sendPressedEvent(Unreadable{});
    struct ForDisplay : platform::HotkeyPressedEvent {
        platform::OSStatus directObject(platform::EventHotKeyID& out) const override {
            out = {platform::fourCharCode("NLID"), 99};
            return platform::noErr;
        }
    };
    mac().hotkeys().sendPressedEvent(ForDisplay{});
    advance();
    EXPECT_EQ(controller().poweredOffBrightnesses.size(), 2u);
    EXPECT_EQ(mac().hotkeys().handlerCount(), 1);
}
