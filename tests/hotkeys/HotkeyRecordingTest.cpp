#include "hotkeys/HotkeyTestSupport.h"
#include "ui/InteractiveImageView.h"

namespace {
constexpr uint16_t kK = 40, kEscape = 53;
} // namespace

TEST_F(HotkeyTest, RecordingStoresAModifiedKeyAndShowsWhatIsHeld) {
    launch();
    english();
    auto& c = controller();
    const auto before = held();
    ASSERT_EQ(before.size(), 3u);

    button(2).performClick();
    EXPECT_TRUE(c.isRecordingHotkey);
    EXPECT_EQ(c.recordingDisplayID, 2u);
    EXPECT_TRUE(held().empty()) << "no combination is held while one is recorded";
    EXPECT_EQ(button(2).title(), "Press keys...");
    EXPECT_TRUE(button(2).isRecordingMode());
    EXPECT_EQ(button(2).textColor(), appkit::color(appkit::SystemColor::systemBlue));

    // Modifiers show as they are held; a plain letter is swallowed and changes nothing.
    hold(platform::controlKey | platform::optionKey);
    EXPECT_EQ(button(2).title(), "⌃⌥...");
    hold(0);
    EXPECT_EQ(button(2).title(), "Press keys...");
    pressHere(kK);
    EXPECT_TRUE(c.isRecordingHotkey);
    EXPECT_FALSE(defaults().integer("hotkeyCode.DELL U2720Q"));
    EXPECT_EQ(mac().input().keysReachingApplication(), 0);

    // ⌘⇧K is stored at once and registered.
    pressHere(kK, platform::cmdKey | platform::shiftKey);
    EXPECT_FALSE(c.isRecordingHotkey);
    EXPECT_FALSE(c.hotkeyEventMonitor);
    EXPECT_EQ(defaults().integer("hotkeyCode.DELL U2720Q"), 40);
    EXPECT_EQ(defaults().integer("hotkeyModifiers.DELL U2720Q"), 768);
    EXPECT_EQ(button(2).title(), "⇧⌘K");
    EXPECT_FALSE(button(2).isRecordingMode());
    EXPECT_EQ(button(2).textColor(), appkit::color(appkit::SystemColor::controlAccent));
    EXPECT_EQ(held(), (std::vector<std::string>{"1:18/6400", "2:40/768", "3:20/6400"}));
    pressElsewhere(kK, 768);
    EXPECT_EQ(c.poweredOffBrightnesses.count(2), 1u);

    // Shift alone counts as a modifier; the display being off keeps its tile's faded colour.
    button(2).performClick();
    pressHere(kK, platform::shiftKey);
    EXPECT_EQ(defaults().integer("hotkeyModifiers.DELL U2720Q"), 512);
    EXPECT_EQ(button(2).title(), "⇧K");
    EXPECT_FALSE(button(2).isActive());
    EXPECT_EQ(button(2).textColor(),
              appkit::color(appkit::SystemColor::label).withAlphaComponent(0.4));
}

TEST_F(HotkeyTest, RecordingEndsUnsavedOnEscapeAnotherButtonTheWindowClosingOrALostDisplay) {
    launch();
    auto& c = controller();
    // Escape: nothing stored, the default shows again, every combination is back.
    button(3).performClick();
    EXPECT_EQ(button(3).title(), "입력 대기...");
    pressHere(kEscape);
    EXPECT_FALSE(c.isRecordingHotkey);
    EXPECT_FALSE(defaults().integer("hotkeyCode.LG HDR 4K"));
    EXPECT_EQ(button(3).title(), "⌃⌥⌘3");
    EXPECT_EQ(held().size(), 3u);
    // With a display off, Escape ends the recording first and leaves the display off.
    c.toggleDisplayPowerByID(2);
    button(3).performClick();
    pressHere(kEscape);
    EXPECT_FALSE(c.isRecordingHotkey);
    EXPECT_EQ(c.poweredOffBrightnesses.count(2), 1u);
    pressHere(kEscape);
    EXPECT_TRUE(c.poweredOffBrightnesses.empty());

    // Another display's button (or its icon) takes the recording over; its own ends it.
    button(3).performClick();
    auto* icon = appkit::viewWithTag<ui::InteractiveImageView>(
        c.controlWindow->widget(), BlackoutController::hotkeyIconTagBase + 1);
    ASSERT_TRUE(icon);
    icon->performClick();
    EXPECT_EQ(c.recordingDisplayID, 2u);
    EXPECT_EQ(button(3).title(), "⌃⌥⌘3");
    EXPECT_FALSE(button(3).isRecordingMode());
    button(2).performClick();
    EXPECT_FALSE(c.isRecordingHotkey);
    EXPECT_EQ(held().size(), 3u);

    // Closing the window ends it as cancelled; a combination pressed then is not recorded.
    button(2).performClick();
    c.controlWindow->close();
    advance();
    EXPECT_FALSE(c.isRecordingHotkey);
    EXPECT_FALSE(c.hotkeyEventMonitor);
    EXPECT_EQ(held().size(), 3u);
    pressHere(kK, platform::cmdKey);
    EXPECT_FALSE(defaults().integer("hotkeyCode.DELL U2720Q"));

    // The display being recorded is unplugged: the rebuilt window starts idle.
    c.showControlWindow();
    button(3).performClick();
    ASSERT_TRUE(mac().unplug(3));
    advance();
    EXPECT_FALSE(c.isRecordingHotkey);
    EXPECT_FALSE(c.hotkeyEventMonitor);
    EXPECT_EQ(held(), (std::vector<std::string>{"1:18/6400", "2:19/6400"}));
}

TEST_F(HotkeyTest, ButtonDrawsItsStateAndOffersToEditWhenHovered) {
    launch();
    english();
    auto& b = button(1);
    const bool dark = false;
    const auto accent = appkit::color(appkit::SystemColor::controlAccent);
    EXPECT_TRUE(b.isActive());
    EXPECT_EQ(b.fillColor(), accent.withAlphaComponent(0.08).resolve(dark));
    EXPECT_EQ(b.borderColor(), accent.withAlphaComponent(0.2).resolve(dark));
    EXPECT_EQ(b.height(), 18);
    const int idleWidth = b.width();

    b.setHovered(true);
    EXPECT_EQ(b.shownTitle(), "Edit");
    EXPECT_EQ(b.title(), "⌃⌥⌘1") << "the title stays the hotkey";
    EXPECT_EQ(b.fillColor(), accent.withAlphaComponent(0.15).resolve(dark));
    EXPECT_EQ(b.borderColor(), accent.withAlphaComponent(0.35).resolve(dark));
    EXPECT_NE(b.width(), idleWidth) << "the pill fits the word it shows";
    EXPECT_EQ(b.width(), b.intrinsicContentSize().width());
    // Centred in its tile whatever it shows.
    EXPECT_NEAR(b.geometry().center().x(), b.parentWidget()->width() / 2.0, 1.0);

    // While recording a hover does not offer to edit.
    b.performClick();
    EXPECT_EQ(b.shownTitle(), "Press keys...");
    pressHere(kEscape);
    b.setHovered(false);

    // Switched off: faded text colour on a faint fill.
    controller().toggleDisplayPowerByID(1);
    advance();
    const auto faded = appkit::color(appkit::SystemColor::label).withAlphaComponent(0.4);
    EXPECT_FALSE(b.isActive());
    EXPECT_EQ(b.textColor(), faded);
    EXPECT_EQ(b.fillColor(), faded.withAlphaComponent(0.04).resolve(dark));
    EXPECT_EQ(b.borderColor(), faded.withAlphaComponent(0.08).resolve(dark));
}
