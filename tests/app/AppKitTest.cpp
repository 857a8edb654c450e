#include "app/AppTestSupport.h"

#include "appkit/Button.h"
#include "appkit/SymbolImages.h"

namespace {

int inkedPixels(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += qAlpha(image.pixel(x, y)) > 128;
    return n;
}

} // namespace

TEST(SymbolImages, KnownNamesAreDrawnAndOthersGiveNothing) {
    for (const char* name : {"laptopcomputer", "display", "sun.max.fill", "moon.fill",
                             "speaker.wave.2.fill", "power"}) {
        auto image = appkit::systemSymbolImage(name, 16, Qt::black);
        ASSERT_TRUE(image) << name;
        EXPECT_EQ(image->deviceIndependentSize(), QSizeF(16, 16)) << name;
        // Something is drawn, and it is not a filled square.
        int ink = inkedPixels(*image);
        EXPECT_GT(ink, image->width() * image->height() / 20) << name;
        EXPECT_LT(ink, image->width() * image->height() * 3 / 4) << name;
    }
    EXPECT_FALSE(appkit::systemSymbolImage("no.such.symbol", 16));
    EXPECT_FALSE(appkit::systemSymbol("no.such.symbol", 16));
    EXPECT_FALSE(appkit::hasSystemSymbol(""));
}

TEST_F(AppTest, ClosedWindowsKeepTheirObjectAndTellTheirDelegate) {
    appkit::Window w(QSize(300, 200));
    int closes = 0;
    w.setWillClose([&] { ++closes; });
    w.setTitle("Night Lid");
    w.makeKeyAndOrderFront();
    EXPECT_TRUE(w.isVisible());
    w.orderOut();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(closes, 0);
    w.makeKeyAndOrderFront();
    w.close();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(w.title(), "Night Lid");
    w.makeKeyAndOrderFront();
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.contentSize(), QSize(300, 200));

    w.setAppearance(appkit::Appearance::darkAqua);
    EXPECT_EQ(w.effectiveAppearance(), appkit::Appearance::darkAqua);
    EXPECT_LT(w.widget()->palette().color(QPalette::Window).lightness(), 128);
    w.setAppearance(appkit::Appearance::aqua);
    EXPECT_GT(w.widget()->palette().color(QPalette::Window).lightness(), 128);
}

TEST_F(AppTest, ButtonsSendTheirActionOnlyWhenClicked) {
    appkit::Button box(appkit::ButtonType::checkbox, "Auto");
    std::vector<appkit::ControlState> seen;
    box.setAction([&](appkit::Button& b) { seen.push_back(b.state()); });
    box.setState(appkit::ControlState::on);
    EXPECT_TRUE(seen.empty());
    box.performClick();
    EXPECT_EQ(seen, std::vector{appkit::ControlState::off});
    box.setEnabled(false);
    box.performClick();
    EXPECT_EQ(seen.size(), 1u);

    appkit::Button push(appkit::ButtonType::push, "Apply");
    push.setTag(2001);
    int clicks = 0;
    push.setAction([&](appkit::Button& b) { clicks += b.tag() == 2001; });
    push.performClick();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(push.state(), appkit::ControlState::off);
}
