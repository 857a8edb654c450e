#include "app/ThemeManager.h"
#include "appkit/Button.h"
#include "appkit/SegmentedControl.h"
#include "appkit/Slider.h"
#include "platform/sim/SimAppearance.h"

#include "AppTestSupport.h"
#include "appkit/Window.h"

#include <QLabel>

namespace {

bool windowIsDark(BlackoutController& c) {
    return c.controlWindow->effectiveAppearance() == appkit::Appearance::darkAqua;
}

} // namespace

TEST_F(AppTest, ThemeButtonStoresTheOppositeOfWhatIsShownAndItsIconFollows) {
    launch();
    auto& c = controller();
    ASSERT_TRUE(c.appearanceButton);
    EXPECT_FALSE(windowIsDark(c)) << "no stored theme: the window follows the light system";
    EXPECT_EQ(c.appearanceButton->imageName(), "sun.max.fill");
    EXPECT_EQ(c.appearanceButton->accessibilityDescription(), "라이트 모드");
    EXPECT_EQ(c.appearanceButton->toolTip().toStdString(), "앱 화면 스타일 전환");
    EXPECT_EQ(c.appearanceButton->title(), "");

    c.appearanceButton->performClick();
    EXPECT_TRUE(windowIsDark(c));
    EXPECT_EQ(defaults().string("appTheme"), "dark");
    EXPECT_EQ(c.appearanceButton->imageName(), "moon.fill");
    EXPECT_EQ(c.appearanceButton->accessibilityDescription(), "다크 모드");

    c.appearanceButton->performClick();
    EXPECT_FALSE(windowIsDark(c));
    EXPECT_EQ(defaults().string("appTheme"), "light");

    // The stored theme is applied when the window is built anew, in the other language too.
    c.languageChanged(1);
    EXPECT_FALSE(windowIsDark(c));
    EXPECT_EQ(c.appearanceButton->accessibilityDescription(), "Light Mode");
    EXPECT_EQ(c.appearanceButton->toolTip().toStdString(), "Toggle App Theme");
}

TEST_F(AppTest, SystemThemeControlSwitchesTheSystemAndAFollowingWindowWithIt) {
    launch();
    auto& c = controller();
    ASSERT_TRUE(c.systemThemeSegmentedControl);
    EXPECT_EQ(c.systemThemeSegmentedControl->label(0), "라이트");
    EXPECT_EQ(c.systemThemeSegmentedControl->selectedSegment(), 0);

    c.systemThemeSegmentedControl->performClick(1);
    EXPECT_TRUE(mac().appearance().isDark());
    EXPECT_TRUE(ThemeManager::isDarkMode());
    EXPECT_TRUE(windowIsDark(c)) << "the window follows the system while no theme is stored";
    EXPECT_EQ(c.appearanceButton->imageName(), "sun.max.fill") << "updated on the next main turn";
    advance();
    EXPECT_EQ(c.appearanceButton->imageName(), "moon.fill");

    // A window with its own theme ignores the system.
    c.appearanceButton->performClick();
    EXPECT_EQ(defaults().string("appTheme"), "light");
    mac().appearance().setDark(false);
    mac().appearance().setDark(true);
    advance();
    EXPECT_FALSE(windowIsDark(c));
    EXPECT_EQ(c.appearanceButton->imageName(), "sun.max.fill");

    c.controlWindow->close();
    c.showControlWindow();
    EXPECT_EQ(c.systemThemeSegmentedControl->selectedSegment(), 1) << "built from the system";
}

TEST_F(AppTest, WithoutSkyLightTheSystemThemeIsReadFromTheApplicationAndNeverSet) {
    auto machine = laptopWithTwoMonitors();
    machine.hasSkyLight = false;
    machine.darkAppearance = true;
    boot(machine);
    EXPECT_TRUE(ThemeManager::isDarkMode());
    ThemeManager::setDarkMode(false);
    EXPECT_TRUE(mac().appearance().isDark());

    launch();
    auto& c = controller();
    EXPECT_EQ(c.systemThemeSegmentedControl->selectedSegment(), 1);
    c.systemThemeSegmentedControl->performClick(0);
    EXPECT_TRUE(mac().appearance().isDark()) << "nothing to set it with";

    // With no control window the theme button's action does nothing.
    c.controlWindow.reset();
    c.appearanceButtonClicked();
    EXPECT_FALSE(defaults().string("appTheme").has_value());
}

TEST_F(AppTest, SecondaryTextsStayReadableInEitherAppearance) {
    launch();
    auto& c = controller();
    auto textLightness = [](QLabel* label) {
        return label->palette().color(QPalette::WindowText).lightness();
    };
    ASSERT_TRUE(c.chargeLimitValueLabel);
    c.controlWindow->setAppearance(appkit::Appearance::darkAqua);
    EXPECT_GT(textLightness(c.chargeLimitValueLabel), 100) << "light text on the dark card";
    int readable = 0, dark = 0;
    for (auto* label : c.controlWindow->widget()->findChildren<QLabel*>())
        if (label->property("nightlidTextColor").isValid())
            (textLightness(label) > 100 ? readable : dark)++;
    EXPECT_GT(readable, 3);
    EXPECT_EQ(dark, 0) << "no secondary text stays dark on the dark card";

    c.controlWindow->setAppearance(appkit::Appearance::aqua);
    EXPECT_LT(textLightness(c.chargeLimitValueLabel), 160) << "and dark text on the light one";
}

TEST_F(AppTest, ADisabledSliderIsGreyAndAnEnabledOneBlue) {
    launch();
    auto& c = controller();
    appkit::Slider* slider = c.chargeLimitSlider;
    ASSERT_TRUE(slider);
    // The fill left of the knob, in the groove's middle row.
    auto fillBlueness = [&] {
        const QImage image = slider->grab().toImage();
        int most = -255;
        for (int x = 4; x < image.width() / 4; ++x)
            for (int y = 0; y < image.height(); ++y) {
                const QColor p = image.pixelColor(x, y);
                most = std::max(most, p.blue() - (p.red() + p.green()) / 2);
            }
        return most;
    };
    for (auto appearance : {appkit::Appearance::aqua, appkit::Appearance::darkAqua}) {
        c.controlWindow->setAppearance(appearance);
        slider->setEnabled(false);
        EXPECT_LT(fillBlueness(), 40) << "grey while disabled";
        slider->setEnabled(true);
        EXPECT_GT(fillBlueness(), 100) << "blue while it can be moved";
    }
}

TEST_F(AppTest, ASliderShowsItsValueAndTickMarksInEitherAppearance) {
    launch();
    auto& c = controller();
    appkit::Slider* slider = c.chargeLimitSlider;
    ASSERT_TRUE(slider);
    slider->setEnabled(true);
    const double fraction = (80 - slider->minValue()) / (slider->maxValue() - slider->minValue());
    slider->setDoubleValue(80);
    for (auto appearance : {appkit::Appearance::aqua, appkit::Appearance::darkAqua}) {
        c.controlWindow->setAppearance(appearance);
        const QImage image = slider->grab().toImage();
        // The accent fill runs from the left end to the knob.
        int fillEnd = -1;
        for (int x = 0; x < image.width(); ++x)
            for (int y = 0; y < image.height(); ++y) {
                const QColor p = image.pixelColor(x, y);
                if (p.blue() - (p.red() + p.green()) / 2 > 100) fillEnd = std::max(fillEnd, x);
            }
        EXPECT_NEAR(fillEnd, fraction * image.width(), 12);
        // Six tick marks stand out from the card in the bottom row.
        const int y = image.height() - 1;
        const int background = image.pixelColor(image.width() / 3 + 3, y).lightness();
        int marks = 0;
        bool inMark = false;
        for (int x = 0; x < image.width(); ++x) {
            const bool stands = std::abs(image.pixelColor(x, y).lightness() - background) > 25;
            marks += stands && !inMark;
            inMark = stands;
        }
        EXPECT_EQ(marks, 6) << (appearance == appkit::Appearance::darkAqua ? "dark" : "light");
    }
}
