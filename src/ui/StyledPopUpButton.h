#pragma once
// A pop-up button styled for the appearance it is drawn in, restyled on every layout pass.

#include "appkit/PopUpButton.h"

namespace ui {

class StyledPopUpButton : public appkit::PopUpButton {
  public:
    explicit StyledPopUpButton(QWidget* parent = nullptr);
    // The bezel colour in use: the calibrated white 0.88 in the light appearance, none in the
    // dark one.
    bool hasBezelColor() const { return hasBezel_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void restyle();
    bool hasBezel_ = false;
};

} // namespace ui
