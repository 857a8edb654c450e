#pragma once
// The panel in which a Pomodoro run is set up: focus and break lengths and the number of cycles
// (a stepper and an editable number each), the two sounds, and dimming before a break.

#include "appkit/Window.h"

#include <functional>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;

namespace appkit {
class Stepper;
class PopUpButton;
class Button;
class StackView;
} // namespace appkit

namespace pomodoro {

class PomodoroSettingsPanel : public appkit::Window {
  public:
    using StartHandler = std::function<void(int focusMin, int breakMin, int cycles)>;
    PomodoroSettingsPanel(StartHandler onStart, bool isEnglish);

    std::function<void()> onClose;
    // The system's sound names: the built-in ones and those found in the sounds folder.
    static std::vector<std::string> getAvailableSystemSounds();

    int focusValue() const { return focusValue_; }
    int breakValue() const { return breakValue_; }
    int repeatValue() const { return repeatValue_; }
    QLineEdit* focusLabel() const { return focusLabel_; }
    QLineEdit* breakLabel() const { return breakLabel_; }
    QLineEdit* repeatLabel() const { return repeatLabel_; }
    appkit::Stepper* focusStepper() const { return focusStepper_; }
    appkit::Stepper* breakStepper() const { return breakStepper_; }
    appkit::Stepper* repeatStepper() const { return repeatStepper_; }
    appkit::PopUpButton* focusSoundPopUp() const { return focusSound_; }
    appkit::PopUpButton* breakSoundPopUp() const { return breakSound_; }
    appkit::Button* dimCheckbox() const { return dim_; }
    std::string unitText(int row) const; // 0 focus, 1 break, 2 cycles

    void focusStepperChanged();
    void breakStepperChanged();
    void repeatStepperChanged();
    void focusSoundChanged();
    void breakSoundChanged();
    void dimCheckboxChanged();
    // The number typed into one of the three fields, once editing ends.
    void controlTextDidEndEditing(QLineEdit* field);
    void cancelClicked();
    // Cancel and Start, Start answering Return.
    appkit::StackView* buildButtons(bool isEnglish);
    void startClicked();

  private:
    void updateLabels();

    StartHandler onStart_;
    int focusValue_ = 25, breakValue_ = 5, repeatValue_ = 4;
    QLineEdit* focusLabel_;
    QLineEdit* breakLabel_;
    QLineEdit* repeatLabel_;
    QLabel* focusUnitLabel_;
    QLabel* breakUnitLabel_;
    QLabel* repeatUnitLabel_;
    appkit::Stepper* focusStepper_ = nullptr;
    appkit::Stepper* breakStepper_ = nullptr;
    appkit::Stepper* repeatStepper_ = nullptr;
    appkit::PopUpButton* focusSound_ = nullptr;
    appkit::PopUpButton* breakSound_ = nullptr;
    appkit::Button* dim_ = nullptr;
};

} // namespace pomodoro
