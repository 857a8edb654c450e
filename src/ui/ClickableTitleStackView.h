#pragma once
// A header row that reacts to clicks anywhere on it except on the controls it holds.

#include "appkit/StackView.h"

#include <functional>

namespace ui {

class ClickableTitleStackView : public appkit::StackView {
  public:
    explicit ClickableTitleStackView(QWidget* parent = nullptr);
    std::function<void()> onClick;

    // Whether a click on this child (a descendant of the row) would reach a working control.
    bool isControlAt(QWidget* hit) const;

  protected:
    void mousePressEvent(QMouseEvent* event) override;
};

} // namespace ui
