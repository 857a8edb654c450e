#include "hotkeys/KeyNames.h"
#include "hotkeys/HotkeyTestSupport.h"
#include "platform/sim/KeyPad.h"

TEST(KeyNames, ModifiersInTheirOrderThenTheKey) {
    EXPECT_EQ(BlackoutController::hotkeyString(18, 6400), "⌃⌥⌘1");
    EXPECT_EQ(BlackoutController::hotkeyString(40, 768), "⇧⌘K");
    EXPECT_EQ(BlackoutController::hotkeyString(122, 4096 | 2048 | 512 | 256), "⌃⌥⇧⌘F1");
    EXPECT_EQ(BlackoutController::hotkeyString(49, 0), "Space");
    EXPECT_EQ(hotkeys::listedKeyName(76), "[Enter]");
    EXPECT_EQ(hotkeys::listedKeyName(23), "5");
    EXPECT_EQ(hotkeys::listedKeyName(22), "6");
    EXPECT_EQ(hotkeys::listedKeyName(111), "F12");
    EXPECT_FALSE(hotkeys::listedKeyName(10));
}

TEST_F(HotkeyTest, UnlistedKeysAreNamedThroughTheCurrentLayout) {
    auto named = [&](const char* layout) {
        auto m = laptopWithTwoMonitors();
        m.keyboardLayout = layout;
        boot(m);
        return std::vector<std::string>{
            BlackoutController::keyName(10), BlackoutController::keyName(105),
            BlackoutController::keyName(130), BlackoutController::keyName(0)};
    };
    // F13 types a control character and code 130 nothing: both fall back to their number.
    EXPECT_EQ(named("US"), (std::vector<std::string>{"§", "Key105", "Key130", "A"}));
    EXPECT_EQ(named("French"), (std::vector<std::string>{"@", "Key105", "Key130", "A"}));
    // A dead key types nothing on its own.
    EXPECT_EQ(named("German"), (std::vector<std::string>{"Key10", "Key105", "Key130", "A"}));
    EXPECT_EQ(named(""), (std::vector<std::string>{"Key10", "Key105", "Key130", "A"}));

    // Layout data that is not what the system handed out is refused, not read past its end.
    uint32_t dead = 0;
    std::u16string out;
    EXPECT_FALSE(mac().hotkeys().currentASCIICapableLayoutData()) << "the last had no layout";
    boot(laptopWithTwoMonitors());
    std::vector<uint8_t> truncated = *mac().hotkeys().currentASCIICapableLayoutData();
    truncated.resize(truncated.size() - 1);
    EXPECT_NE(mac().hotkeys().keyTranslate(truncated, 50, 0, 0, 0, 0, dead, 4, out),
              platform::noErr);
    EXPECT_NE(mac().hotkeys().keyTranslate({1, 2, 3}, 0, 0, 0, 0, 0, dead, 4, out),
              platform::noErr);
    EXPECT_TRUE(out.empty());

    // The translation is asked with the physical keyboard's type: an ISO keyboard's table.
    auto iso = laptopWithTwoMonitors();
    iso.keyboardType = sim::SimHotkeys::kIsoKeyboard;
    boot(iso);
    EXPECT_EQ(BlackoutController::keyName(10), "`");
}

TEST(KeyPad, ReadsCombinationsAsPeopleWriteThem) {
    auto parsed = [](const std::string& text) {
        auto c = sim::parseKeyCombination(text);
        return c ? std::to_string(c->code) + "/" + std::to_string(c->modifiers) : "none";
    };
    EXPECT_EQ(parsed("⌃⌥⌘1"), "18/6400");
    EXPECT_EQ(parsed("cmd+shift+k"), "40/768");
    EXPECT_EQ(parsed("Ctrl+Alt+Super+0"), "29/6400");
    EXPECT_EQ(parsed(" F5 "), "96/0");
    EXPECT_EQ(parsed("⇧code 10"), "10/512");
    EXPECT_EQ(parsed("ctrl+"), "none");
    EXPECT_EQ(parsed("code 99999"), "none");
    EXPECT_EQ(parsed("code -1"), "none");
    EXPECT_EQ(parsed("⌘"), "none");
    EXPECT_EQ(parsed("hello"), "none");
    EXPECT_EQ(sim::keyCombinationText(18, 6400), "⌃⌥⌘1");
    EXPECT_EQ(sim::keyCombinationText(49, 256), "⌘space");
}
