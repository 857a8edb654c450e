#include "appkit/Slider.h"
#include "appkit/Colors.h"
#include "appkit/WheelScrolls.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QSlider>
#include <QStyleOptionSlider>

#include <algorithm>
#include <cmath>

namespace appkit {

namespace {
// NaN would pass a clamp untouched; it counts as the slider's minimum.
double clampValue(double value, double lo, double hi) {
    return std::isnan(value) ? lo : std::clamp(value, lo, hi);
}

// Drawn as a Mac draws its sliders: a thin track filled with the accent colour up to a round
// knob. The style's slider, with its gradients, took a third of the control window's first
// frame. The knob sits in the style's handle rectangle, so the mouse finds it where the style
// expects it.
class TrackSlider : public QSlider {
  public:
    TrackSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
        // As on a Mac, a click moves the knob without taking the keyboard; Tab still reaches it.
        setFocusPolicy(Qt::TabFocus);
    }

    // The step whose knob centre is at x, and the knob centre of a step: to the fraction of a
    // point the pointer gives (a trackpad's positions are finer than a pixel).
    int stepAt(double x) const {
        const double knob = handleRect().width(), span = width() - knob;
        if (span <= 0 || maximum() <= minimum()) return minimum();
        const double ratio = std::clamp((x - knob / 2) / span, 0.0, 1.0);
        return minimum() + int(std::lround(ratio * (maximum() - minimum())));
    }
    double centreOf(int step) const {
        const double knob = handleRect().width(), span = width() - knob;
        if (maximum() <= minimum()) return knob / 2;
        return knob / 2 + span * double(step - minimum()) / double(maximum() - minimum());
    }
    double knobY() const {
        const QRect handle = handleRect();
        return handle.y() + handle.height() / 2.0;
    }

  protected:
    // A click on the track takes the knob there, and the drag goes on from it.
    void mousePressEvent(QMouseEvent* event) override {
        const double x = event->position().x();
        if (event->button() == Qt::LeftButton && isEnabled()) {
            if (!handleRect().contains(event->position().toPoint())) setSliderPosition(stepAt(x));
            grab_ = x - centreOf(sliderPosition());
        }
        QSlider::mousePressEvent(event);
    }
    // The knob follows the pointer where it holds it.
    void mouseMoveEvent(QMouseEvent* event) override {
        if (!isSliderDown()) {
            QSlider::mouseMoveEvent(event);
            return;
        }
        event->accept();
        setSliderPosition(stepAt(event->position().x() - grab_));
    }

    void paintEvent(QPaintEvent*) override {
        const QRect handle = handleRect();
        const bool dark = drawsDark(*this);
        const bool enabled = isEnabled();
        auto shade = [dark](double alpha) {
            return dark ? QColor::fromRgbF(1, 1, 1, float(alpha))
                        : QColor::fromRgbF(0, 0, 0, float(alpha));
        };
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);

        const double knob = std::min(handle.width(), handle.height()) - 1.0;
        const QPointF centre(handle.x() + handle.width() / 2.0,
                             std::max(handle.y(), 0) + knob / 2.0 + 0.5);
        const double trackHeight = 4;
        const QRectF track(knob / 2, centre.y() - trackHeight / 2, width() - knob, trackHeight);
        p.setBrush(shade(dark ? 0.2 : 0.1));
        p.drawRoundedRect(track, trackHeight / 2, trackHeight / 2);
        QRectF fill = track;
        fill.setRight(centre.x());
        p.setBrush(enabled ? color(SystemColor::controlAccent).resolve(dark)
                           : shade(dark ? 0.3 : 0.22));
        p.drawRoundedRect(fill, trackHeight / 2, trackHeight / 2);

        if (tickPosition() != NoTicks && tickInterval() > 0 && maximum() > minimum()) {
            p.setRenderHint(QPainter::Antialiasing, false);
            p.setBrush(shade(enabled ? 0.35 : 0.18));
            const int top = int(centre.y() + knob / 2) + 1;
            for (int v = minimum(); v <= maximum(); v += tickInterval()) {
                const int x = QStyle::sliderPositionFromValue(minimum(), maximum(), v,
                                                              width() - handle.width()) +
                              handle.width() / 2;
                p.drawRect(QRect(x, top, 1, std::max(2, height() - top)));
            }
            p.setRenderHint(QPainter::Antialiasing);
        }

        const QRectF knobRect(centre.x() - knob / 2, centre.y() - knob / 2, knob, knob);
        QColor face = dark ? QColor::fromRgbF(0.8f, 0.8f, 0.8f) : QColor(Qt::white);
        if (isSliderDown()) face = face.darker(112);
        if (!enabled)
            face = dark ? QColor::fromRgbF(0.42f, 0.42f, 0.42f) : QColor(0xf4, 0xf4, 0xf4);
        p.setBrush(face);
        p.setPen(QPen(hasFocus() ? color(SystemColor::controlAccent).resolve(dark)
                                 : shade(dark ? 0.25 : 0.22),
                      hasFocus() ? 2 : 1));
        p.drawEllipse(knobRect.adjusted(0.5, 0.5, -0.5, -0.5));
    }

  private:
    double grab_ = 0;
    QRect handleRect() const {
        QStyleOptionSlider option;
        initStyleOption(&option);
        return style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    }
};

} // namespace

Slider::Slider(double minValue, double maxValue, double value, QWidget* parent)
    : QWidget(parent), control_(new TrackSlider(this)), min_(minValue), max_(maxValue),
      value_(clampValue(value, minValue, maxValue)) {
    control_->setRange(0, kSteps);
    wheelScrollsOnly(control_);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(control_);
    syncControl();
    connect(control_, &QSlider::valueChanged, this, [this](int step) {
        if (syncing_) return;
        value_ = snapped(min_ + (max_ - min_) * step / kSteps);
        if (continuous_ || !control_->isSliderDown())
            if (action_) action_(*this);
    });
    connect(control_, &QSlider::sliderReleased, this, [this] {
        if (!continuous_ && action_) action_(*this);
    });
}

void Slider::setNumberOfTickMarks(int count) {
    tickMarks_ = std::max(0, count);
    control_->setTickPosition(tickMarks_ > 1 ? QSlider::TicksBelow : QSlider::NoTicks);
    if (tickMarks_ > 1) control_->setTickInterval(kSteps / (tickMarks_ - 1));
}

void Slider::setAllowsTickMarkValuesOnly(bool only) {
    tickValuesOnly_ = only;
    value_ = snapped(value_);
    syncControl();
}

bool Slider::isTracking() const {
    return control_->isSliderDown();
}

double Slider::snapped(double value) const {
    if (!tickValuesOnly_ || tickMarks_ < 2 || max_ <= min_) return value;
    const double step = (max_ - min_) / (tickMarks_ - 1);
    return min_ + std::round((value - min_) / step) * step;
}

void Slider::setDoubleValue(double value) {
    value_ = snapped(clampValue(value, min_, max_));
    syncControl();
}

void Slider::syncControl() {
    syncing_ = true;
    const double span = max_ - min_;
    control_->setValue(span > 0 ? int(std::lround((value_ - min_) / span * kSteps)) : 0);
    syncing_ = false;
}

QPointF Slider::knobCentre() const {
    return knobCentreFor(value_);
}

QPointF Slider::knobCentreFor(double value) const {
    auto* track = static_cast<TrackSlider*>(control_);
    const double span = max_ - min_;
    const double ratio = span > 0 ? (clampValue(value, min_, max_) - min_) / span : 0;
    const int step = int(std::lround(ratio * kSteps));
    return QPointF(track->pos()) + QPointF(track->centreOf(step), track->knobY());
}

void Slider::performDrag(double value) {
    if (!isEnabled()) return;
    value_ = snapped(clampValue(value, min_, max_));
    syncControl();
    if (action_) action_(*this);
}

} // namespace appkit
