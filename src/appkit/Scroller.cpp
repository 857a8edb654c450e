#include "appkit/Scroller.h"

#include "appkit/Colors.h"

#include <QPainter>
#include <QStyleOptionSlider>

#include <algorithm>

namespace appkit {

namespace {
constexpr int kKnobWidth = 7;
constexpr int kKnobInset = 2;
} // namespace

Scroller::Scroller(QWidget* parent) : QScrollBar(Qt::Vertical, parent) {}

void Scroller::paintEvent(QPaintEvent*) {
    if (maximum() <= minimum()) return;
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect slider =
        style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this);
    const int width = std::min(kKnobWidth, slider.width());
    const QRect knob(slider.center().x() - width / 2, slider.top() + kKnobInset, width,
                     slider.height() - 2 * kKnobInset);
    QPainter p(this);
    const bool dark = drawsDark(*this);
    const bool held = isSliderDown();
    const QColor fill = dark ? QColor::fromRgbF(1, 1, 1, held ? 0.6 : 0.4)
                             : QColor::fromRgbF(0, 0, 0, held ? 0.5 : 0.3);
    knob_.paint(p, knob, devicePixelRatioF(), {width / 2.0, fill, {}, 0});
}

} // namespace appkit
