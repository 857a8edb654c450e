#pragma once
// A clickable image (its subviews never take the click), and a container laid out from the top.

#include "appkit/ImageView.h"

#include <functional>

namespace ui {

class InteractiveImageView : public appkit::ImageView {
  public:
    explicit InteractiveImageView(QWidget* parent = nullptr);
    std::function<void()> onClick;
    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }
    // The click as the user makes it.
    void performClick();

  protected:
    void mousePressEvent(QMouseEvent* event) override;

  private:
    int tag_ = 0;
};

// Qt lays children out from the top already; the class names the intent where AppKit needs it.
class FlippedView : public QWidget {
  public:
    explicit FlippedView(QWidget* parent = nullptr) : QWidget(parent) {}
    bool isFlipped() const { return true; }
};

} // namespace ui
