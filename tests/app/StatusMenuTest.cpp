#include "app/AppTestSupport.h"

#include "platform/sim/SimWindowServer.h"

#include <gmock/gmock.h>

using ::testing::ElementsAre;

namespace {

std::vector<std::string> keyEquivalents(const platform::Menu& menu) {
    std::vector<std::string> out;
    for (const auto& i : menu.items)
        out.push_back(i.keyEquivalent);
    return out;
}

} // namespace

TEST_F(AppTest, StatusItemShowsTheLaptopSymbolAndSendsOnBothMouseButtons) {
    launch();
    EXPECT_EQ(item().imageSymbol(), "laptopcomputer");
    EXPECT_EQ(item().accessibilityDescription(), "Night Lid");
    EXPECT_EQ(item().toolTip(), "Night Lid");
    EXPECT_TRUE(item().sendActionOn().leftMouseUp);
    EXPECT_TRUE(item().sendActionOn().rightMouseUp);

    // Without a button the item stays bare, but the menu is still built.
    auto bare = laptopWithTwoMonitors();
    bare.hasStatusItemButton = false;
    boot(bare);
    launch();
    EXPECT_FALSE(item().imageSymbol().has_value());
    EXPECT_FALSE(item().hasAction());
    EXPECT_EQ(item().toolTip(), "");
    EXPECT_TRUE(controller().statusMenu.has_value());
}

TEST_F(AppTest, StatusMenuHasItsItemsInKoreanAndInEnglish) {
    launch();
    ASSERT_TRUE(controller().statusMenu);
    EXPECT_THAT(
        controller().statusMenu->titles(),
        ElementsAre("수명 보호 모드 켜기", "검정 화면 해제", "-", "업데이트 확인...", "종료"));
    EXPECT_THAT(keyEquivalents(*controller().statusMenu),
                ElementsAre("b", std::string(1, '\x1b'), "", "", "q"));

    // The menu keeps its language until it is rebuilt.
    defaults().set("appLanguage", "en");
    EXPECT_EQ(controller().statusMenu->items[0].title, "수명 보호 모드 켜기");
    controller().recreateStatusMenu();
    EXPECT_THAT(controller().statusMenu->titles(),
                ElementsAre("Turn On Protector Mode", "Restore Screen", "-", "Check for Updates...",
                            "Quit"));
    EXPECT_THAT(keyEquivalents(*controller().statusMenu),
                ElementsAre("b", std::string(1, '\x1b'), "", "", "q"));
}

TEST_F(AppTest, LeftClickOpensTheWindowWhileRightAndControlClickPopTheMenuBelowTheItem) {
    launch();
    controller().controlWindow->close();
    ASSERT_FALSE(controller().controlWindow->isVisible());

    EXPECT_TRUE(item().click(platform::EventType::rightMouseUp));
    EXPECT_EQ(item().menuPopUps(), 1);
    EXPECT_EQ(item().lastMenuPoint(), (platform::Point{0, 24}));
    ASSERT_TRUE(item().lastMenu());
    EXPECT_EQ(item().lastMenu()->titles(), controller().statusMenu->titles());
    EXPECT_FALSE(controller().controlWindow->isVisible());

    EXPECT_TRUE(item().click(platform::EventType::leftMouseUp, {.control = true}));
    EXPECT_EQ(item().menuPopUps(), 2);
    EXPECT_EQ(item().lastMenuPoint(), (platform::Point{0, 24}));
    EXPECT_FALSE(controller().controlWindow->isVisible());

    // After a close, a left click builds a new window; while it is visible, a click keeps it.
    EXPECT_TRUE(item().click(platform::EventType::leftMouseUp));
    EXPECT_EQ(item().menuPopUps(), 2);
    ASSERT_TRUE(controller().controlWindow->isVisible());
    markControlWindow();
    item().click(platform::EventType::leftMouseUp);
    EXPECT_TRUE(controlWindowIsMarked());
    EXPECT_TRUE(controller().controlWindow->isVisible());
}

TEST_F(AppTest, CheckForUpdatesReachesTheUpdaterOfTheDelegate) {
    launch();
    EXPECT_TRUE(mac().updaterStarted());
    EXPECT_TRUE(mac().notificationAuthorizationRequested());

    item().click(platform::EventType::rightMouseUp);
    mac().alerts().queueAnswers({0});
    for (const auto& entry : item().lastMenu()->items)
        if (entry.title == "업데이트 확인...") entry.action();
    EXPECT_EQ(mac().updateChecks(), 1);
    // The updater answers the person, as the real one does.
    ASSERT_EQ(mac().alerts().shown().size(), 1u);
    EXPECT_EQ(mac().alerts().shown()[0].messageText, "You’re up to date!");
}

TEST_F(AppTest, CheckForUpdatesWithoutAnUpdaterSaysThisBuildDoesNotUpdateItself) {
    auto m = laptopWithTwoMonitors();
    m.hasUpdater = false;
    boot(m);
    launch();
    EXPECT_FALSE(mac().updaterStarted());

    item().click(platform::EventType::rightMouseUp);
    mac().alerts().queueAnswers({0});
    for (const auto& entry : item().lastMenu()->items)
        if (entry.title == "업데이트 확인...") entry.action();
    ASSERT_EQ(mac().alerts().shown().size(), 1u);
    const auto& korean = mac().alerts().shown()[0];
    EXPECT_EQ(korean.style, platform::AlertStyle::informational);
    EXPECT_EQ(korean.messageText, "이 빌드는 스스로 업데이트하지 않습니다");
    EXPECT_EQ(korean.informativeText, "새 버전은 직접 내려받아 설치해 주세요.");
    EXPECT_EQ(korean.buttons, std::vector<std::string>{"확인"});

    // No delegate to ask either: the same answer, in the language chosen since.
    defaults().set("appLanguage", "en");
    AppDelegate::setShared(nullptr);
    mac().alerts().queueAnswers({0});
    controller().checkForUpdates();
    ASSERT_EQ(mac().alerts().shown().size(), 2u);
    EXPECT_EQ(mac().alerts().shown()[1].messageText, "This build does not update itself");
    EXPECT_EQ(mac().alerts().shown()[1].informativeText,
              "Download and install new versions yourself.");
    EXPECT_EQ(mac().updateChecks(), 0);
}

TEST_F(AppTest, UpdaterOffersTheVersionTheFeedHas) {
    auto m = laptopWithTwoMonitors();
    m.availableUpdate = "9.1.0";
    boot(m);
    launch();
    mac().alerts().queueAnswers({1});
    controller().checkForUpdates();
    ASSERT_EQ(mac().alerts().shown().size(), 1u);
    const auto& offer = mac().alerts().shown()[0];
    EXPECT_EQ(offer.messageText, "A new version of Nightlid is available!");
    EXPECT_NE(offer.informativeText.find("Nightlid 9.1.0 is now available"), std::string::npos);
    EXPECT_EQ(offer.buttons, (std::vector<std::string>{"Install Update", "Remind Me Later"}));
}

TEST_F(AppTest, RestoreScreenFromTheStatusMenuEndsProtectorMode) {
    launch();
    controller().start();
    ASSERT_TRUE(controller().isProtecting);
    ASSERT_FALSE(mac().windowServer().windowsOfKind("protector").empty());
    item().click(platform::EventType::rightMouseUp);
    for (const auto& entry : item().lastMenu()->items)
        if (entry.title == "검정 화면 해제") entry.action();
    advance(1);
    EXPECT_FALSE(controller().isProtecting);
    EXPECT_TRUE(mac().windowServer().windowsOfKind("protector").empty());
}
