#pragma once
// A slider in the manner of NSSlider: a float value in a range, a tag, an action sent while it is
// dragged (continuous) or when released. Setting the value in code sends no action.

#include <QWidget>

#include <functional>

class QSlider;

namespace appkit {

class Slider : public QWidget {
  public:
    using Action = std::function<void(Slider&)>;

    explicit Slider(double minValue = 0.0, double maxValue = 1.0, double value = 0.5,
                    QWidget* parent = nullptr);

    double doubleValue() const { return value_; }
    float floatValue() const { return float(value_); }
    void setDoubleValue(double value);
    double minValue() const { return min_; }
    double maxValue() const { return max_; }
    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }
    void setContinuous(bool continuous) { continuous_ = continuous; }
    bool isContinuous() const { return continuous_; }
    void setAction(Action action) { action_ = std::move(action); }

    // The user moving the knob to a value; nothing when disabled.
    void performDrag(double value);

  private:
    static constexpr int kSteps = 1000;
    void syncControl();

    QSlider* control_;
    double min_, max_, value_;
    int tag_ = 0;
    bool continuous_ = false;
    bool syncing_ = false;
    Action action_;
};

// The first view under root (root included) whose tag is tag and whose type is T. The controls
// carry no meta-object of their own, so Qt's typed child search would match any widget: cast each
// one.
template <typename T> T* viewWithTag(QWidget* root, int tag) {
    if (!root) return nullptr;
    if (auto* self = dynamic_cast<T*>(root); self && self->tag() == tag) return self;
    for (auto* child : root->findChildren<QWidget*>())
        if (auto* view = dynamic_cast<T*>(child); view && view->tag() == tag) return view;
    return nullptr;
}

} // namespace appkit
