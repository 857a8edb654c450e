#pragma once
// A word-wrapped label of a fixed width. A layout asks a wrapped label its height many times
// while a window is built, and each answer lays the whole text out again; this one remembers
// the answer until its text or font changes.

#include <QLabel>

#include <map>

namespace ui {

class WrappedLabel : public QLabel {
  public:
    WrappedLabel(const QString& text, int width);
    int heightForWidth(int width) const override;
    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

  private:
    // Forgets what no longer holds; answers stay for the text and font they were made for.
    void validate() const;

    mutable QString measuredText_;
    mutable QFont measuredFont_;
    mutable std::map<int, int> heights_;
    mutable QSize minimum_;
};

} // namespace ui
