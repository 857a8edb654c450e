#include "appkit/Slider.h"
#include "appkit/WheelScrolls.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QSlider>

#include <algorithm>
#include <cmath>

namespace appkit {

namespace {
// NaN would pass a clamp untouched; it counts as the slider's minimum.
double clampValue(double value, double lo, double hi) {
    return std::isnan(value) ? lo : std::clamp(value, lo, hi);
}
} // namespace

Slider::Slider(double minValue, double maxValue, double value, QWidget* parent)
    : QWidget(parent), control_(new QSlider(Qt::Horizontal, this)), min_(minValue), max_(maxValue),
      value_(clampValue(value, minValue, maxValue)) {
    control_->setRange(0, kSteps);
    wheelScrollsOnly(control_);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(control_);
    syncControl();
    followAppearance();
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

void Slider::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange) followAppearance();
    QWidget::changeEvent(event);
}

// The style draws tick marks and the track's edge a shade darker than the window: on a dark card
// that is invisible, so the slider takes a light grey to darken from there.
void Slider::followAppearance() {
    QPalette p = palette();
    if (p.color(QPalette::Window).lightness() < 128)
        p.setColor(QPalette::Window, QColor(0x9d, 0x9d, 0x9d));
    control_->setPalette(p);
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

void Slider::performDrag(double value) {
    if (!isEnabled()) return;
    value_ = snapped(clampValue(value, min_, max_));
    syncControl();
    if (action_) action_(*this);
}

} // namespace appkit
