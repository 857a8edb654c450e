#pragma once
// A label that never wraps. QLabel lays its text out three times for its two size hints (at
// widths that cannot change a line that never wraps) and again each time a layout asks after a
// change elsewhere; this one lays it out once and remembers the size for its text and font.

#include <QLabel>

namespace ui {

class OneLineLabel : public QLabel {
  public:
    explicit OneLineLabel(const QString& text, QWidget* parent = nullptr);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  private:
    // False when QLabel's own measure is needed: no text, rich text, a picture, a frame.
    bool plainLine() const;

    mutable QString measuredText_;
    mutable QFont measuredFont_;
    mutable int measuredAlignment_ = 0;
    mutable QSize measured_;
};

} // namespace ui
