// The virtual Mac's display transactions, notifications and sheets.
#include "platform/Alerts.h"
#include "platform/Notifications.h"
#include "platform/Screens.h"
#include "platform/sim/SimDisplayModes.h"
#include "support/VirtualMacTest.h"

namespace {

using platform::DisplayMode;
using sim::DisplayDescription;

DisplayDescription display(DisplayID id, platform::Rect frame, const char* preset) {
    DisplayDescription d;
    d.id = id;
    d.frame = frame;
    d.modes = *sim::modePreset(preset);
    d.currentMode = *sim::modeMatchingFrame(d.modes, frame);
    return d;
}

DisplayMode lo(int w, int h, double hz) {
    return {w, h, w, h, hz, true};
}

} // namespace

TEST(DisplayConfiguration, ATransactionMovesTheDisplaysOrChangesNothingWhenRefused) {
    // A TV left of a 1440p monitor at the origin, and a 4K monitor right of it.
    std::vector<DisplayDescription> displays = {
        display(1, {0, 0, 2560, 1440}, "1440p"),
        display(2, {2560, -200, 2560, 1440}, "4k"),
        display(3, {-1920, 0, 1920, 1080}, "1080p"),
    };
    EXPECT_EQ(displays[0].modes[displays[0].currentMode].refreshRate, 144) << "the fastest";
    EXPECT_GT(displays[1].modes[displays[1].currentMode].pixelWidth, 2560) << "HiDPI first";

    // A mode the display does not have, a self-mirror or a chain: refused, nothing moved.
    const auto before = displays;
    sim::PendingConfiguration bad;
    bad.modes[1] = lo(1234, 567, 60);
    bad.origins[2] = {0, 0};
    EXPECT_TRUE(sim::applyConfiguration(displays, bad));
    sim::PendingConfiguration self;
    self.mirrors[2] = 2;
    EXPECT_TRUE(sim::applyConfiguration(displays, self));
    sim::PendingConfiguration chain;
    chain.mirrors[2] = 1;
    chain.mirrors[1] = 3;
    EXPECT_TRUE(sim::applyConfiguration(displays, chain));
    EXPECT_EQ(displays[1].frame, before[1].frame);
    EXPECT_EQ(displays[0].currentMode, before[0].currentMode);

    // A smaller mode with the origins kept: the display on its right follows its edge, the one
    // on its left stays.
    sim::PendingConfiguration smaller;
    smaller.modes[1] = lo(1920, 1080, 60);
    for (const auto& d : displays)
        smaller.origins[d.id] = {int32_t(d.frame.x), int32_t(d.frame.y)};
    ASSERT_FALSE(sim::applyConfiguration(displays, smaller));
    EXPECT_EQ(displays[0].frame, (platform::Rect{0, 0, 1920, 1080}));
    EXPECT_EQ(displays[1].frame.x, 1920);
    EXPECT_EQ(displays[2].frame.x, -1920);

    // Mirroring puts the mirror on its master; leaving the mirror finds it a free place.
    sim::PendingConfiguration mirror;
    mirror.mirrors[3] = 1;
    ASSERT_FALSE(sim::applyConfiguration(displays, mirror));
    EXPECT_EQ(displays[2].mirrorOf, 1u);
    EXPECT_FALSE(displays[2].hasScreen);
    EXPECT_EQ(displays[2].frame.x, 0);
    sim::PendingConfiguration extend;
    extend.mirrors[3] = 0;
    ASSERT_FALSE(sim::applyConfiguration(displays, extend));
    EXPECT_TRUE(displays[2].hasScreen);
    EXPECT_EQ(displays[2].frame.x, 1920 + 2560) << "right of everything";

    // Origins that leave no display at 0,0 are moved so one is: that display is the main one.
    sim::PendingConfiguration shifted;
    shifted.origins[1] = {100, 50};
    shifted.origins[2] = {2020, -150};
    ASSERT_FALSE(sim::applyConfiguration(displays, shifted));
    EXPECT_EQ(displays[0].frame.x, 0);
    EXPECT_EQ(displays[0].frame.y, 0);
    EXPECT_EQ(displays[1].frame.x, 1920);
}

class DisplayTransactionTest : public VirtualMacTest {};

TEST_F(DisplayTransactionTest, FailuresComeAtTheStepTheMachineNamesAndAStaleConfigIsRefused) {
    auto& displays = *platform().displays;
    int screenChanges = 0;
    platform().screens->addScreenParametersObserver([&] { ++screenChanges; });
    const auto tv = *displays.copyDisplayMode(4);

    platform::DisplayConfigRef config = 0;
    mac().setConfigurationFailsAt("begin");
    EXPECT_NE(displays.beginDisplayConfiguration(config), platform::kCGErrorSuccess);
    EXPECT_EQ(config, 0);

    mac().setConfigurationFailsAt("configure");
    ASSERT_EQ(displays.beginDisplayConfiguration(config), platform::kCGErrorSuccess);
    EXPECT_NE(displays.configureDisplayWithDisplayMode(config, 4, lo(1280, 720, 60)),
              platform::kCGErrorSuccess);
    EXPECT_EQ(displays.cancelDisplayConfiguration(config), platform::kCGErrorSuccess);
    EXPECT_NE(displays.completeDisplayConfiguration(config, platform::ConfigureOption::permanently),
              platform::kCGErrorSuccess)
        << "a cancelled configuration cannot complete";

    mac().setConfigurationFailsAt("");
    ASSERT_EQ(displays.beginDisplayConfiguration(config), platform::kCGErrorSuccess);
    ASSERT_EQ(displays.configureDisplayWithDisplayMode(config, 4, lo(1280, 720, 60)),
              platform::kCGErrorSuccess);
    ASSERT_EQ(displays.completeDisplayConfiguration(config, platform::ConfigureOption::permanently),
              platform::kCGErrorSuccess);
    advance();
    EXPECT_EQ(displays.copyDisplayMode(4)->width, 1280);
    EXPECT_NE(*displays.copyDisplayMode(4), tv);
    EXPECT_EQ(screenChanges, 1);
    EXPECT_EQ(mac().displayConfigurations().back(),
              "completed: display 4 mode 1280x720 (1280x720)");
    EXPECT_EQ(displays.bounds(4).width, 1280);
}

TEST_F(DisplayTransactionTest, NotificationsReplaceTheirNamesakeAndSheetsAnswerLater) {
    auto& center = *platform().notifications;
    std::vector<std::optional<std::string>> results;
    auto note = [&](const char* id, const char* title) {
        center.add({id, title, "body", true}, [&](auto error) { results.push_back(error); });
    };
    note("pomodoro.alert", "first");
    note("other", "second");
    note("pomodoro.alert", "third");
    advance();
    ASSERT_EQ(mac().deliveredNotifications().size(), 2u);
    EXPECT_EQ(mac().deliveredNotifications()[0].first.title, "second");
    EXPECT_EQ(mac().deliveredNotifications()[1].first.title, "third") << "the newer one replaces";
    EXPECT_EQ(results, (std::vector<std::optional<std::string>>(3, std::nullopt)));

    // A sheet returns at once; its answer comes on a later turn of the main queue.
    int answer = -1;
    mac().alerts().queueAnswers({1});
    platform::AlertRequest sheet;
    sheet.messageText = "Question";
    sheet.buttons = {"A", "B"};
    sheet.sheetWindow = "break screen";
    platform().alerts->beginSheetModal(sheet, [&](int index) { answer = index; });
    EXPECT_EQ(answer, -1);
    advance();
    EXPECT_EQ(answer, 1);
    EXPECT_EQ(mac().alerts().shown().back().sheetWindow, "break screen");

    // Without permission nothing is delivered and the sender hears why.
    auto denied = sim::VirtualMac::defaultDescription();
    denied.notificationsGranted = false;
    boot(denied);
    bool granted = true;
    platform().notifications->requestAuthorization({true, true, false},
                                                   [&](bool ok) { granted = ok; });
    std::optional<std::string> error;
    platform().notifications->add({"pomodoro.alert", "t", "b", true}, [&](auto e) { error = e; });
    advance();
    EXPECT_FALSE(granted);
    ASSERT_TRUE(error);
    EXPECT_TRUE(mac().deliveredNotifications().empty());
}
