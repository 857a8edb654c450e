#pragma once
// A slider in the manner of NSSlider: a float value in a range, a tag, an action sent while it is
// dragged (continuous) or when released. Setting the value in code sends no action.

#include "appkit/ViewLookup.h"

#include <QPointF>
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
    // Tick marks spread evenly from the minimum to the maximum; with values-only the knob
    // stops on them.
    void setNumberOfTickMarks(int count);
    void setAllowsTickMarkValuesOnly(bool only);
    // The knob is held by the mouse (an action now is not the release).
    bool isTracking() const;
    void setContinuous(bool continuous) { continuous_ = continuous; }
    bool isContinuous() const { return continuous_; }
    void setAction(Action action) { action_ = std::move(action); }

    // The user moving the knob to a value; nothing when disabled.
    void performDrag(double value);
    // Where the knob's middle is now, and where it is at a value, in this view's coordinates:
    // where the pointer takes hold of it and where it lets go for that value.
    QPointF knobCentre() const;
    QPointF knobCentreFor(double value) const;

  private:
    static constexpr int kSteps = 1000;
    void syncControl();

    QSlider* control_;
    double min_, max_, value_;
    int tag_ = 0;
    bool continuous_ = false;
    int tickMarks_ = 0;
    bool tickValuesOnly_ = false;
    double snapped(double value) const;
    bool syncing_ = false;
    Action action_;
};

} // namespace appkit
