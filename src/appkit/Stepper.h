#pragma once
// A stepper in the manner of NSStepper: two small arrows that step an integer value between a
// minimum and a maximum, without wrapping.

#include <QWidget>

#include <functional>

class QToolButton;

namespace appkit {

class Stepper : public QWidget {
  public:
    using Action = std::function<void(Stepper&)>;
    Stepper(int minValue, int maxValue, int value, QWidget* parent = nullptr);

    int integerValue() const { return value_; }
    void setIntegerValue(int value);
    int minValue() const { return min_; }
    int maxValue() const { return max_; }
    void setAction(Action action) { action_ = std::move(action); }
    // A click on an arrow as the user makes it.
    void increment();
    void decrement();

  private:
    void step(int by);
    int min_, max_, value_;
    Action action_;
};

} // namespace appkit
