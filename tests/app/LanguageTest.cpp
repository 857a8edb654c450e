#include "app/AppTestSupport.h"

namespace {

sim::MachineDescription speaking(std::vector<std::string> languages) {
    auto m = laptopWithTwoMonitors();
    m.preferredLanguages = std::move(languages);
    return m;
}

} // namespace

TEST_F(AppTest, LanguageFollowsTheStoredChoiceThenTheFirstPreferredLanguage) {
    boot(speaking({"ja-JP", "ko-KR"}));
    EXPECT_TRUE(controller().isEnglish());
    EXPECT_EQ(t("종료", "Quit"), "Quit");

    boot(speaking({"ko-KR", "en-US"}));
    EXPECT_FALSE(controller().isEnglish());
    EXPECT_EQ(t("종료", "Quit"), "종료");

    boot(speaking({"ko"}));
    EXPECT_FALSE(controller().isEnglish());

    boot(speaking({}));
    EXPECT_FALSE(controller().isEnglish());

    // A stored choice wins over the system, and only "en" means English.
    defaults().set("appLanguage", "en");
    EXPECT_TRUE(controller().isEnglish());
    boot(speaking({"en-US"}));
    defaults().set("appLanguage", "ko");
    EXPECT_FALSE(controller().isEnglish());
    defaults().set("appLanguage", "fr");
    EXPECT_FALSE(controller().isEnglish());
    // Anything but text is no choice at all.
    defaults().set("appLanguage", true);
    EXPECT_TRUE(controller().isEnglish());
}

TEST_F(AppTest, ControlWindowShowsACardPerDisplayInTheLanguage) {
    launch();
    auto& w = *controller().controlWindow;
    EXPECT_EQ(w.title(), "Night Lid");
    EXPECT_EQ(w.contentSize().width(), 560);
    EXPECT_EQ(cardTitles(),
              (std::vector<std::string>{"내장 디스플레이", "외장 디스플레이 (DELL U2720Q)",
                                        "외장 디스플레이 (LG HDR 4K)", "화면 및 사운드 관리",
                                        "잠 안자기 모드", "배터리 및 전원 관리"}));
    EXPECT_EQ(controller().cachedDisplaysByID.size(), 3u);

    defaults().set("appLanguage", "en");
    controller().controlWindow->close();
    controller().showControlWindow();
    EXPECT_EQ(cardTitles(),
              (std::vector<std::string>{"Built-in Display", "External Display (DELL U2720Q)",
                                        "External Display (LG HDR 4K)", "Screen & Sound Management",
                                        "Keep Awake", "Battery & Power Management"}));
}
