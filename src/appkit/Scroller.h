#pragma once
// A vertical scroller as a Mac draws it: a slim rounded knob over the content, no track. It
// scrolls, pages and drags as any scroll bar; only its look differs.

#include "appkit/RoundedPlate.h"

#include <QScrollBar>

namespace appkit {

class Scroller : public QScrollBar {
  public:
    explicit Scroller(QWidget* parent = nullptr);

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    RoundedPlate knob_;
};

} // namespace appkit
