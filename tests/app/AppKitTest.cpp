#include "app/AppTestSupport.h"

#include "appkit/Button.h"
#include "appkit/Panel.h"
#include "appkit/SegmentedControl.h"
#include "appkit/Slider.h"
#include "platform/SymbolImages.h"
#include "platform/sim/SimInput.h"
#include "platform/sim/SimWindowServer.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QSlider>

#include <cmath>

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
        auto image = platform::systemSymbolImage(name, 16, Qt::black);
        ASSERT_TRUE(image) << name;
        EXPECT_EQ(image->deviceIndependentSize(), QSizeF(16, 16)) << name;
        // Something is drawn, and it is not a filled square.
        int ink = inkedPixels(*image);
        EXPECT_GT(ink, image->width() * image->height() / 20) << name;
        EXPECT_LT(ink, image->width() * image->height() * 3 / 4) << name;
    }
    EXPECT_FALSE(platform::systemSymbolImage("no.such.symbol", 16));
    EXPECT_FALSE(platform::systemSymbol("no.such.symbol", 16));
    EXPECT_FALSE(platform::hasSystemSymbol(""));
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

TEST_F(AppTest, SegmentsAndSlidersSendTheirActionOnlyForTheUser) {
    int sent = 0;
    appkit::SegmentedControl segments({"KO", "EN"});
    segments.setAction([&](appkit::SegmentedControl&) { ++sent; });
    segments.setSelectedSegment(1);
    EXPECT_EQ(segments.selectedSegment(), 1);
    EXPECT_EQ(sent, 0);
    segments.performClick(0);
    EXPECT_EQ(segments.selectedSegment(), 0);
    EXPECT_EQ(sent, 1);
    segments.performClick(5);
    segments.setEnabled(false);
    segments.performClick(1);
    EXPECT_EQ(sent, 1);
    EXPECT_EQ(segments.selectedSegment(), 0);

    std::vector<double> values;
    appkit::Slider slider(0.0, 1.0, 0.5);
    slider.setContinuous(true);
    slider.setAction([&](appkit::Slider& s) { values.push_back(s.doubleValue()); });
    slider.setDoubleValue(0.25);
    slider.setDoubleValue(3.0);
    EXPECT_DOUBLE_EQ(slider.doubleValue(), 1.0) << "kept in range";
    slider.performDrag(0.3);
    slider.performDrag(-1);
    slider.performDrag(std::nan(""));
    EXPECT_EQ(values, (std::vector<double>{0.3, 0.0, 0.0})) << "NaN counts as the minimum";
}

TEST_F(AppTest, AClickOnASlidersTrackTakesTheKnobThereAndTheDragGoesOn) {
    std::vector<double> values;
    appkit::Slider slider(0.0, 1.0, 0.1);
    slider.setContinuous(true);
    slider.setAction([&](appkit::Slider& s) { values.push_back(s.doubleValue()); });
    slider.resize(300, slider.sizeHint().height());
    slider.show();
    auto* track = slider.findChild<QSlider*>();
    ASSERT_TRUE(track);
    auto send = [&](QEvent::Type type, double x, Qt::MouseButtons buttons) {
        const QPointF at(x, track->height() / 2.0);
        QMouseEvent event(type, at, track->mapToGlobal(at), Qt::LeftButton, buttons, {});
        QCoreApplication::sendEvent(track, &event);
    };
    send(QEvent::MouseButtonPress, 225, Qt::LeftButton);
    ASSERT_FALSE(values.empty());
    EXPECT_NEAR(slider.doubleValue(), 0.75, 0.03) << "the knob under the pointer, not a page on";
    send(QEvent::MouseMove, 255, Qt::LeftButton);
    EXPECT_NEAR(slider.doubleValue(), 0.85, 0.03) << "held: the drag follows";
    send(QEvent::MouseButtonRelease, 255, {});
    EXPECT_FALSE(track->hasFocus()) << "a click leaves the keyboard where it was";

    slider.setEnabled(false);
    values.clear();
    send(QEvent::MouseButtonPress, 30, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, 30, {});
    EXPECT_TRUE(values.empty());
    EXPECT_NEAR(slider.doubleValue(), 0.85, 0.03) << "disabled: nothing moves";
}

TEST(ViewWithTag, FindsOnlyControlsOfTheAskedKindAmongMixedChildrenOfOneTag) {
    QWidget root;
    auto* plain = new QWidget(&root);
    auto* button = new appkit::Button(appkit::ButtonType::checkbox, "Sync", plain);
    button->setTag(7);
    auto* slider = new appkit::Slider(0.0, 1.0, 0.25, &root);
    slider->setTag(7);
    auto* other = new appkit::Slider(0.0, 1.0, 0.75, plain);
    other->setTag(8);

    EXPECT_EQ(appkit::viewWithTag<appkit::Slider>(&root, 7), slider);
    EXPECT_EQ(appkit::viewWithTag<appkit::Button>(&root, 7), button);
    EXPECT_EQ(appkit::viewWithTag<appkit::Slider>(&root, 8), other);
    EXPECT_EQ(appkit::viewWithTag<appkit::Button>(&root, 8), nullptr);
    EXPECT_EQ(appkit::viewWithTag<appkit::Slider>(slider, 7), slider) << "the root itself counts";
    delete slider;
    EXPECT_EQ(appkit::viewWithTag<appkit::Slider>(&root, 7), nullptr);
}

TEST_F(AppTest, PanelsAreShownOnTheirScreenAndGetOnlyTheEventsTheyTake) {
    struct Recorder : appkit::Panel {
        Recorder()
            : Panel({0, 0, 100, 100}, appkit::StyleMask::borderless, appkit::BackingStore::buffered,
                    false, "test") {}
        bool canBecomeKey() const override { return true; }
        std::vector<platform::EventType> seen;
        void keyDown(const platform::Event& e) override { seen.push_back(e.type); }
        void mouseDown(const platform::Event& e) override { seen.push_back(e.type); }
        void scrollWheel(const platform::Event& e) override { seen.push_back(e.type); }
        void mouseMoved(const platform::Event& e) override { seen.push_back(e.type); }
    };
    auto& server = mac().windowServer();
    auto panel = std::make_unique<Recorder>();
    EXPECT_TRUE(server.windows().empty()) << "nothing is shown before it is ordered front";
    panel->makeKeyAndOrderFront();
    ASSERT_EQ(server.windowsOfKind("test").size(), 1u);
    const int number = server.windowsOfKind("test")[0].number;
    EXPECT_EQ(server.keyWindow(), number);

    panel->setAlphaValue(0.5);
    EXPECT_EQ(server.windowsOfKind("test")[0].window.alphaValue, 0.5);

    using T = platform::EventType;
    for (auto type : {T::leftMouseDown, T::mouseMoved, T::scrollWheel})
        server.sendEvent(number, platform::Event{type, {}, 0, std::nullopt});
    mac().input().pressKeyInApplication(12);
    advance();
    EXPECT_EQ(panel->seen, (std::vector<T>{T::leftMouseDown, T::scrollWheel, T::keyDown}))
        << "mouse moves only when asked for";

    panel->setIgnoresMouseEvents(true);
    panel->setAcceptsMouseMovedEvents(true);
    EXPECT_FALSE(server.windowAt({50, 50}, true)) << "clicks pass through";
    server.sendEvent(number, platform::Event{T::leftMouseDown, {}, 0, std::nullopt});
    advance();
    EXPECT_EQ(panel->seen.size(), 3u);

    panel.reset();
    EXPECT_TRUE(server.windows().empty()) << "a destroyed panel leaves the screen";
    EXPECT_FALSE(server.keyWindow());
}
