#pragma once
// A pop-up button styled for the appearance it is drawn in, restyled on every layout pass.
// It draws its own recessed bezel: a style sheet on a pop-up leaves memory behind in Qt's
// style-sheet caches for every button built, and the control window builds several on each
// rebuild.

#include "appkit/PopUpButton.h"
#include "appkit/RoundedPlate.h"

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
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void colourMenu();
    void restyle();
    void paintBezel();
    bool hasBezel_ = false;
    bool dark_ = false;
    bool restyling_ = false;
    appkit::RoundedPlate bezel_;
};

} // namespace ui
