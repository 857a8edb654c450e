#pragma once
// The small panel in which a Zen run's length is chosen (1 to 60 minutes, 3 at every opening)
// and started.

#include "appkit/Window.h"

#include <functional>

class QLabel;
class QLineEdit;

namespace appkit {
class Stepper;
}

namespace zen {

class ZenSettingsPanel : public appkit::Window {
  public:
    ZenSettingsPanel(std::function<void(int)> onStart, bool isEnglish);

    std::function<void()> onClose;
    int zenDurationValue() const { return zenDurationValue_; }
    QLineEdit* durationLabel() const { return durationLabel_; }
    appkit::Stepper* durationStepper() const { return durationStepper_; }

    void durationStepperChanged();
    // The number typed into the field, once editing ends.
    void controlTextDidEndEditing();
    void startClicked();

  private:
    void updateLabels();

    std::function<void(int)> onStart_;
    int zenDurationValue_ = 3;
    QLineEdit* durationLabel_;
    QLabel* durationUnitLabel_;
    appkit::Stepper* durationStepper_;
};

} // namespace zen
