#include "app/AppTestSupport.h"
#include "appkit/PopUpButton.h"
#include "modes/ScalingOptionView.h"

#include <QLayout>

namespace {

// A 13-inch laptop, a 4K monitor right of it and a 1440p monitor without HiDPI modes left of it.
const char* kDesk = R"json({"model": "MacBook Air (13-inch, M2)", "displays": [
  {"id": 1, "builtIn": true, "frame": [0, 0, 1470, 956], "modes": "macbook-2560x1664",
   "screenName": "Built-in Liquid Retina Display"},
  {"id": 2, "frame": [1470, -300, 2560, 1440], "modes": "4k", "screenName": "LG UltraFine"},
  {"id": 3, "frame": [-2560, 0, 2560, 1440], "modes": "1440p", "screenName": "DELL S2721DGF"},
  {"id": 4, "frame": [4030, 0, 1920, 1080], "modesUnreadable": true, "screenName": "TV"}]})json";

class DisplayModesTest : public AppTest {
  protected:
    void SetUp() override {
        bootJson(kDesk);
        launch();
    }
    QWidget* content() { return controller().controlWindow->widget(); }
    std::vector<modes::ScalingOptionView*> options(DisplayID id) {
        std::vector<modes::ScalingOptionView*> out;
        for (auto* o : appkit::subviews<modes::ScalingOptionView>(content()))
            if (o->displayID == id) out.push_back(o);
        return out;
    }
    appkit::PopUpButton* popup(int tag) {
        return appkit::viewWithTag<appkit::PopUpButton>(content(), tag);
    }
    platform::Rect bounds(DisplayID id) { return platform().displays->bounds(id); }
    std::string size(DisplayID id) {
        auto m = platform().displays->copyDisplayMode(id);
        return m ? std::to_string(m->width) + "x" + std::to_string(m->height) : "none";
    }
};

} // namespace

TEST_F(DisplayModesTest, EachDisplayOffersItsCuratedModesInThePickerOrThePopUp) {
    // The panel: its four listed sizes and its default one, from "Larger" to "Smaller".
    auto panel = options(1);
    ASSERT_EQ(panel.size(), 5u);
    std::vector<std::string> sizes, labels;
    for (auto* o : panel) {
        sizes.push_back(std::to_string(o->mode.width) + "x" + std::to_string(o->mode.height));
        labels.push_back(o->labelText);
    }
    EXPECT_EQ(sizes, (std::vector<std::string>{"1024x666", "1280x832", "1440x936", "1470x956",
                                               "1710x1112"}));
    EXPECT_EQ(labels, (std::vector<std::string>{"가장 크게", "", "", "", "가장 작게"}));
    EXPECT_TRUE(panel[3]->isSelected());
    EXPECT_FALSE(panel[0]->isSelected());
    EXPECT_TRUE(controlWindowTexts().size() > 0);
    auto texts = controlWindowTexts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), "1470 x 956 (60Hz)"), texts.end());

    // The 4K monitor: HiDPI sizes of the listed widths and its native size, nothing else.
    sizes.clear();
    for (auto* o : options(2))
        sizes.push_back(std::to_string(o->mode.width) + "x" + std::to_string(o->mode.height) +
                        (o->mode.pixelWidth > o->mode.width ? "@2x" : ""));
    EXPECT_EQ(sizes, (std::vector<std::string>{"1920x1080@2x", "2560x1440@2x", "3008x1692@2x",
                                               "3840x2160"}));

    // Without HiDPI modes: the pop-up, each size once at its fastest rate, the current selected.
    EXPECT_TRUE(options(3).empty());
    auto* p = popup(5002);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->itemTitles(),
              (std::vector<std::string>{"1280 x 720 (60Hz)", "1920 x 1080 (60Hz)",
                                        "2048 x 1152 (60Hz)", "2560 x 1440 (144Hz)"}));
    EXPECT_EQ(p->indexOfSelectedItem(), 3);
    // Modes that cannot be read: one disabled item, in Korean in both languages.
    controller().languageChanged(1);
    advance();
    ASSERT_TRUE(popup(5003));
    EXPECT_EQ(popup(5003)->itemTitles(), (std::vector<std::string>{"해상도 정보 없음"}));
    EXPECT_FALSE(popup(5003)->isEnabled());
    EXPECT_EQ(options(1).front()->labelText, "Larger");
    EXPECT_EQ(popup(4000)->itemTitles(),
              (std::vector<std::string>{"Main Display", "Extended Display", "Mirror Display"}));
    EXPECT_TRUE(appkit::viewWithTag<appkit::Button>(content(), 5003)) << "the hotkey button too";
}

TEST_F(DisplayModesTest, ChangingTheResolutionKeepsTheArrangementAndFailuresStillRebuild) {
    const auto monitorBefore = bounds(3);
    options(1)[0]->performClick();
    EXPECT_EQ(size(1), "1024x666");
    EXPECT_TRUE(log().contains("Successfully changed resolution for display 1 to 1024x666"));
    EXPECT_EQ(bounds(3).x, monitorBefore.x) << "the monitor left of the panel stays";
    EXPECT_EQ(bounds(2).x, 1024) << "the one on its right follows its edge";
    markControlWindow();
    advance(0.4);
    EXPECT_TRUE(controlWindowIsMarked()) << "the window is rebuilt only after 0.5 s";
    advance(0.2);
    EXPECT_FALSE(controlWindowIsMarked());
    EXPECT_TRUE(options(1)[0]->isSelected());

    // The pop-up applies its choice the same way.
    popup(5002)->performSelect(1);
    EXPECT_EQ(size(3), "1920x1080");
    advance(0.6);

    // A refused commit leaves the mode, is logged and cancelled; the window is rebuilt anyway.
    mac().setConfigurationFailsAt("complete");
    markControlWindow();
    popup(5002)->performSelect(3);
    EXPECT_EQ(size(3), "1920x1080");
    EXPECT_TRUE(log().contains("Failed to commit display configuration: 1000"));
    EXPECT_FALSE(log().contains("Successfully changed resolution for display 3 to 2560x1440"));
    advance(0.6);
    EXPECT_FALSE(controlWindowIsMarked());
    EXPECT_EQ(popup(5002)->titleOfSelectedItem(), "1920 x 1080 (60Hz)")
        << "the rebuilt pop-up shows the mode in force";

    mac().setConfigurationFailsAt("configure");
    ASSERT_EQ(options(1).size(), 5u) << "the panel's default size stays offered";
    options(1)[4]->performClick();
    EXPECT_TRUE(log().contains("Failed to configure display mode: 1000"));
    EXPECT_EQ(size(1), "1024x666");

    // A stale tag or an index past the list does nothing.
    mac().setConfigurationFailsAt("");
    controller().displayModesByTag[5002].clear();
    popup(5002)->performSelect(0);
    EXPECT_EQ(size(3), "1920x1080");
}

TEST_F(DisplayModesTest, ArrangementMovesTheOriginOrMirrorsAsChosen) {
    auto& c = controller();
    // The pop-ups open on the current arrangement.
    EXPECT_EQ(popup(4000)->indexOfSelectedItem(), 0);
    EXPECT_EQ(popup(4001)->indexOfSelectedItem(), 1);

    // "Main Display" for the 4K monitor: everything moves by its offset.
    c.changeDisplayMode(2, 0);
    EXPECT_EQ(platform().displays->mainDisplayID(), 2u);
    EXPECT_EQ(bounds(2).x, 0);
    EXPECT_EQ(bounds(1).x, -1470);
    EXPECT_EQ(bounds(1).y, 300);
    EXPECT_EQ(bounds(3).x, -4030);
    advance(0.6);
    EXPECT_EQ(popup(4001)->indexOfSelectedItem(), 0);
    EXPECT_EQ(popup(4000)->indexOfSelectedItem(), 1);

    // "Extended Display" for the main display hands the origin to the first other one.
    c.changeDisplayMode(2, 1);
    EXPECT_EQ(platform().displays->mainDisplayID(), 1u);
    EXPECT_EQ(bounds(1).x, 0);
    advance(0.6);

    // "Mirror Display" for a secondary display mirrors the main one; the pop-up says so.
    c.changeDisplayMode(3, 2);
    EXPECT_EQ(platform().displays->mirrorsDisplay(3), 1u);
    advance(0.6);
    EXPECT_EQ(popup(4002)->indexOfSelectedItem(), 2);
    EXPECT_EQ(mac().platform().screens->screens().size(), 3u) << "a mirror has no screen";

    // ... and for the main display the first other display becomes main and the source.
    c.changeDisplayMode(3, 1);
    c.changeDisplayMode(1, 2);
    EXPECT_EQ(platform().displays->mainDisplayID(), 2u);
    EXPECT_EQ(platform().displays->mirrorsDisplay(1), 2u);
    advance(0.6);
    EXPECT_EQ(popup(4000)->indexOfSelectedItem(), 2);

    // "Main Display" on the mirror: it stops mirroring and becomes main at the origin.
    c.changeDisplayMode(1, 0);
    EXPECT_EQ(platform().displays->mirrorsDisplay(1), 0u);
    EXPECT_EQ(platform().displays->mainDisplayID(), 1u);
    EXPECT_EQ(bounds(1).x, 0);
    EXPECT_EQ(bounds(1).y, 0);
    EXPECT_GE(bounds(2).x, bounds(1).width) << "beside it, not over it";
}

TEST_F(DisplayModesTest, ASingleDisplayCannotMirrorItselfButTheWindowIsRebuilt) {
    bootJson(R"({"displays": [{"id": 1, "builtIn": true, "frame": [0, 0, 1470, 956],
                               "modes": "macbook-2560x1664"}]})");
    launch();
    markControlWindow();
    controller().displayModeChanged(content()); // not a pop-up: nothing
    EXPECT_TRUE(mac().displayConfigurations().empty());
    popup(4000)->performSelect(2);
    EXPECT_EQ(platform().displays->mirrorsDisplay(1), 0u);
    ASSERT_FALSE(mac().displayConfigurations().empty());
    EXPECT_EQ(mac().displayConfigurations().back(), "refused: display 1 cannot mirror itself");
    advance(0.6);
    EXPECT_FALSE(controlWindowIsMarked());
    EXPECT_EQ(popup(4000)->indexOfSelectedItem(), 0);

    // A failing begin ends it silently: nothing configured, no rebuild.
    mac().setConfigurationFailsAt("begin");
    markControlWindow();
    popup(4000)->performSelect(1);
    advance(0.6);
    EXPECT_TRUE(controlWindowIsMarked());
}

TEST_F(DisplayModesTest, TheScalingPickerSitsCentredInItsCardLikeThePopUpAbove) {
    auto picker = options(2);
    ASSERT_GE(picker.size(), 2u);
    auto* row = picker.front()->parentWidget();
    auto* column = row->parentWidget();
    column->layout()->activate();
    column->layout()->setGeometry(column->rect());
    const int rowCentre = row->geometry().center().x();
    const int columnCentre = column->rect().center().x();
    EXPECT_NEAR(rowCentre, columnCentre, 2) << "the options centred, as the pop-up is";
    EXPECT_GE(column->width(), 480) << "the picker's column spans the card";
}
