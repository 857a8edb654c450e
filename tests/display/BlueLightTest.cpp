#include "appkit/Button.h"
#include "appkit/Slider.h"
#include "support/PowerTestSupport.h"

#include <QLabel>

namespace {
using BlueLightTest = PowerTest;
} // namespace

TEST_F(BlueLightTest, BlueLightRowFollowsTheSystemAndSendsTheStrength) {
    auto& c = controller();
    auto& b = mac().brightness();
    b.changeBlueLightElsewhere(false, 0.7f);
    advance();
    EXPECT_EQ(c.blueLightCheckbox->state(), appkit::ControlState::off);
    EXPECT_FALSE(c.blueLightSlider->isEnabled());
    EXPECT_NEAR(c.blueLightSlider->doubleValue(), 0.7, 1e-6);
    EXPECT_EQ(c.blueLightValueLabel->text().toStdString(), "꺼짐");

    // Turned on elsewhere: the row follows.
    b.changeBlueLightElsewhere(true, 0.125f);
    advance();
    EXPECT_EQ(c.blueLightCheckbox->state(), appkit::ControlState::on);
    EXPECT_TRUE(c.blueLightSlider->isEnabled());
    EXPECT_EQ(c.blueLightValueLabel->text().toStdString(), "13%") << "halves away from zero";

    // Dragged: every value is committed and shown at once.
    const int before = b.blueLightStrengthCommits();
    c.blueLightSlider->performDrag(0.994);
    EXPECT_FLOAT_EQ(b.blueLightStrength(), 0.994f);
    EXPECT_EQ(b.blueLightStrengthCommits(), before + 1);
    EXPECT_EQ(c.blueLightValueLabel->text().toStdString(), "99%");

    // Off from the checkbox, on again: the system's strength shows, the slider stays.
    c.blueLightCheckbox->performClick();
    EXPECT_FALSE(b.blueLightOn());
    EXPECT_FALSE(c.blueLightSlider->isEnabled());
    b.setBlueLight(false, 0.0f);
    c.blueLightCheckbox->performClick();
    EXPECT_TRUE(b.blueLightOn());
    EXPECT_EQ(c.blueLightValueLabel->text().toStdString(), "0%");
}
