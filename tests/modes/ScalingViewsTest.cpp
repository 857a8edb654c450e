#include "modes/ScalingOptionView.h"
#include "modes/ScalingStackView.h"

#include <QApplication>
#include <gtest/gtest.h>

namespace {

using modes::ScalingOptionView;

std::vector<int> levels(int n) {
    std::vector<int> out;
    for (int i = 0; i < n; ++i)
        out.push_back(ScalingOptionView(1, {}, i, n, "").densityLevel());
    return out;
}

} // namespace

TEST(ScalingViews, DensityFollowsThePositionAndTheLinesStayInsideTheScreen) {
    EXPECT_EQ(levels(3), (std::vector<int>{0, 1, 3}));
    EXPECT_EQ(levels(4), (std::vector<int>{0, 1, 3, 4}));
    EXPECT_EQ(levels(6), (std::vector<int>{0, 1, 2, 3, 4, 4}));

    ScalingOptionView largest(1, {}, 0, 3, ""), smallest(1, {}, 5, 6, "");
    largest.resize(80, 80);
    smallest.resize(80, 80);
    // Level 0 has three lines, the first a short title line; the screen's top is 4 points down.
    auto lines = largest.textLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], QRectF(16 + 7, 80 - 4 - 7 - 4.5, 16, 4.5));
    // Level 4 would draw ten lines; those that would reach the screen's bottom margin are left out.
    lines = smallest.textLines();
    EXPECT_EQ(lines.size(), 10u);
    for (const auto& l : lines)
        EXPECT_GE(l.y(), 80 - 4 - 48 + 4);
}

TEST(ScalingViews, RingsOpacityAndClicksFollowTheState) {
    int clicks = 0;
    ScalingOptionView option(1, {}, 1, 3, "");
    option.onClick = [&] { ++clicks; };
    EXPECT_EQ(option.ring(), ScalingOptionView::Ring::none);
    option.setHovered(true);
    EXPECT_EQ(option.ring(), ScalingOptionView::Ring::hover);
    option.setSelected(true);
    EXPECT_EQ(option.ring(), ScalingOptionView::Ring::selection) << "selected wins over hover";
    option.setSelected(false);
    option.performClick();
    EXPECT_EQ(clicks, 1);

    option.setEnabled(false);
    EXPECT_DOUBLE_EQ(option.opacity(), 0.4);
    EXPECT_EQ(option.ring(), ScalingOptionView::Ring::none) << "no hover ring when disabled";
    option.performClick();
    EXPECT_EQ(clicks, 1);

    QPalette dark;
    dark.setColor(QPalette::Window, QColor(30, 30, 30));
    option.setPalette(dark);
    EXPECT_EQ(option.screenGreys(), (std::pair{0.22, 0.35}));
    QPalette light;
    light.setColor(QPalette::Window, QColor(236, 236, 236));
    option.setPalette(light);
    EXPECT_EQ(option.screenGreys(), (std::pair{0.88, 0.7}));
}

TEST(ScalingViews, TheTrackRunsUnderTheOptionsWithATickEach) {
    modes::ScalingStackView one;
    one.addArrangedSubview(new ScalingOptionView(1, {}, 0, 1, ""));
    one.resize(80, 80);
    EXPECT_TRUE(one.trackLines().empty());

    modes::ScalingStackView row;
    row.setSpacing(16);
    for (int i = 0; i < 3; ++i)
        row.addArrangedSubview(new ScalingOptionView(1, {}, i, 3, ""));
    row.resize(3 * 80 + 2 * 16, 80);
    row.show();
    QApplication::processEvents();
    auto lines = row.trackLines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_DOUBLE_EQ(lines[0].y1(), lines[0].y2());
    EXPECT_LT(lines[0].x1(), lines[0].x2());
    for (size_t i = 1; i < lines.size(); ++i) {
        EXPECT_DOUBLE_EQ(std::abs(lines[i].y2() - lines[i].y1()), 6.0);
        EXPECT_DOUBLE_EQ(lines[i].x1(), lines[i].x2());
    }
    EXPECT_DOUBLE_EQ(lines[1].x1(), lines[0].x1());
    EXPECT_DOUBLE_EQ(lines[3].x1(), lines[0].x2());
}

TEST(ScalingViews, TheIconIsDrawnWhereItsMeasuresSay) {
    ScalingOptionView option(1, {}, 0, 3, "");
    QPalette light;
    light.setColor(QPalette::Window, QColor(236, 236, 236));
    option.setPalette(light);
    option.resize(80, 80);
    option.setSelected(true);
    const QImage image = option.grab().toImage();
    // The screen square spans x 16..64 and y 4..52 from the top; its fill is grey 0.88 where no
    // text line lies (the lines run from x 23 to at most 55).
    const QColor fill = image.pixelColor(60, 46);
    EXPECT_NEAR(fill.redF(), 0.88, 0.02);
    EXPECT_NEAR(fill.greenF(), 0.88, 0.02);
    // Outside the screen, at the ring 4 points off its left edge, the accent blue.
    const QColor ring = image.pixelColor(12, 28);
    EXPECT_GT(ring.blue(), 200);
    EXPECT_LT(ring.red(), 60);
    // Far below the screen there is only the window's own background.
    EXPECT_EQ(image.pixelColor(40, 70).rgb(), QColor(236, 236, 236).rgb());
}
