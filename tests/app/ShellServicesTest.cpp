#include "app/AppTestSupport.h"

#include "appkit/Button.h"

#include <algorithm>

namespace {

bool logHasLineStartingWith(const platform::SystemLog& log, const std::string& prefix) {
    auto lines = log.lines();
    return std::any_of(lines.begin(), lines.end(),
                       [&](const auto& l) { return l.rfind(prefix, 0) == 0 && l != prefix; });
}

} // namespace

TEST_F(AppTest, LaunchAtLoginGoesThroughTheLoginItemService) {
    auto& c = controller();
    appkit::Button box(appkit::ButtonType::checkbox, "Launch at Login");
    box.setAction([&](appkit::Button& b) { c.autoLaunchToggled(b); });
    box.setState(c.launchAtLoginInitialState() ? appkit::ControlState::on
                                               : appkit::ControlState::off);
    EXPECT_EQ(box.state(), appkit::ControlState::off);

    box.performClick();
    EXPECT_TRUE(mac().loginItemEnabled());
    EXPECT_TRUE(c.launchAtLoginInitialState());
    box.performClick();
    EXPECT_FALSE(mac().loginItemEnabled());

    // Turning it on over an enabled service registers it again and keeps it on.
    auto enabled = laptopWithTwoMonitors();
    enabled.loginItemEnabled = true;
    boot(enabled);
    appkit::Button again(appkit::ButtonType::checkbox, "Launch at Login");
    again.setState(appkit::ControlState::on);
    controller().autoLaunchToggled(again);
    EXPECT_TRUE(mac().loginItemEnabled());
    EXPECT_EQ(again.state(), appkit::ControlState::on);
    EXPECT_FALSE(logHasLineStartingWith(log(), "Failed to toggle login item service: "));
    EXPECT_FALSE(defaults().object("launchAtLogin").has_value());
}

TEST_F(AppTest, LoginItemFailureIsLoggedAndTheCheckboxReverts) {
    auto failing = laptopWithTwoMonitors();
    failing.loginItemFails = true;
    boot(failing);
    appkit::Button box(appkit::ButtonType::checkbox, "Launch at Login");
    box.setAction([](appkit::Button& b) { BlackoutController::shared().autoLaunchToggled(b); });
    box.performClick();
    EXPECT_EQ(box.state(), appkit::ControlState::off);
    EXPECT_FALSE(mac().loginItemEnabled());
    EXPECT_TRUE(logHasLineStartingWith(log(), "Failed to toggle login item service: "));
    EXPECT_TRUE(mac().alerts().shown().empty());
}

TEST_F(AppTest, ALoginItemAwaitingApprovalSaysWhereToAllowIt) {
    auto waiting = laptopWithTwoMonitors();
    waiting.loginItemNeedsApproval = true;
    boot(waiting);
    defaults().set("appLanguage", "en");
    appkit::Button box(appkit::ButtonType::checkbox, "Launch at Login");
    box.setAction([](appkit::Button& b) { BlackoutController::shared().autoLaunchToggled(b); });
    mac().alerts().queueAnswers({0, 1});
    box.performClick();
    ASSERT_EQ(mac().alerts().shown().size(), 1u);
    EXPECT_EQ(mac().alerts().shown()[0].messageText, "Login Item Needs Approval");
    EXPECT_EQ(mac().loginItemsSettingsOpened(), 1);
    EXPECT_EQ(box.state(), appkit::ControlState::on) << "registered, waiting for the person";
    EXPECT_FALSE(controller().launchAtLoginInitialState()) << "not launching at login yet";

    // "Later" opens nothing; turning it off asks nothing.
    box.performClick();
    box.performClick();
    EXPECT_EQ(mac().alerts().shown().size(), 2u);
    EXPECT_EQ(mac().loginItemsSettingsOpened(), 1);
    box.performClick();
    EXPECT_EQ(mac().alerts().shown().size(), 2u);
    EXPECT_FALSE(mac().loginItemEnabled());
}

TEST_F(AppTest, ALoginItemTheUserSwitchedOffIsRefusedAndSaysWhereToAllowIt) {
    auto refused = laptopWithTwoMonitors();
    refused.loginItemDisabledByUser = true;
    boot(refused);
    defaults().set("appLanguage", "en");
    appkit::Button box(appkit::ButtonType::checkbox, "Launch at Login");
    box.setAction([](appkit::Button& b) { BlackoutController::shared().autoLaunchToggled(b); });
    mac().alerts().queueAnswers({0});
    box.performClick();
    EXPECT_EQ(box.state(), appkit::ControlState::off) << "not registered";
    EXPECT_TRUE(logHasLineStartingWith(log(), "Failed to toggle login item service: "));
    ASSERT_EQ(mac().alerts().shown().size(), 1u);
    EXPECT_EQ(mac().alerts().shown()[0].messageText, "Login Item Needs Approval");
    EXPECT_EQ(mac().loginItemsSettingsOpened(), 1);
}

TEST_F(AppTest, OlderSystemsOnlyRememberTheLaunchAtLoginChoice) {
    auto old = laptopWithTwoMonitors();
    old.hasMainAppService = false;
    boot(old);
    appkit::Button box(appkit::ButtonType::checkbox, "Launch at Login");
    box.setAction([](appkit::Button& b) { BlackoutController::shared().autoLaunchToggled(b); });
    EXPECT_FALSE(controller().launchAtLoginInitialState());
    box.performClick();
    EXPECT_EQ(defaults().boolValue("launchAtLogin"), true);
    EXPECT_TRUE(controller().launchAtLoginInitialState());
    EXPECT_FALSE(mac().loginItemEnabled());
    box.performClick();
    EXPECT_EQ(defaults().boolValue("launchAtLogin"), false);
}

TEST_F(AppTest, AlertsAreModalWarningsAndTracesGoToTheLog) {
    mac().alerts().queueAnswers({0});
    controller().showAlert("제목", "내용");
    ASSERT_EQ(mac().alerts().shown().size(), 1u);
    const auto& a = mac().alerts().shown()[0];
    EXPECT_EQ(a.style, platform::AlertStyle::warning);
    EXPECT_EQ(a.messageText, "제목");
    EXPECT_EQ(a.informativeText, "내용");

    controller().traceLog("windowDidMove called");
    EXPECT_TRUE(log().contains(">>> [TRACER] windowDidMove called"));
}
