#include "appkit/Stepper.h"

#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace appkit {

Stepper::Stepper(int minValue, int maxValue, int value, QWidget* parent)
    : QWidget(parent), min_(minValue), max_(maxValue),
      value_(std::clamp(value, minValue, maxValue)) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    for (int by : {1, -1}) {
        auto* arrow = new QToolButton(this);
        arrow->setArrowType(by > 0 ? Qt::UpArrow : Qt::DownArrow);
        arrow->setFixedSize(16, 11);
        arrow->setAutoRepeat(true);
        connect(arrow, &QToolButton::clicked, this, [this, by] { step(by); });
        column->addWidget(arrow);
    }
    setFixedSize(16, 22);
}

void Stepper::setIntegerValue(int value) {
    value_ = std::clamp(value, min_, max_);
}

void Stepper::step(int by) {
    if (!isEnabled()) return;
    const int next = std::clamp(value_ + by, min_, max_);
    if (next == value_) return;
    value_ = next;
    if (action_) action_(*this);
}

void Stepper::increment() {
    step(1);
}

void Stepper::decrement() {
    step(-1);
}

} // namespace appkit
