#pragma once
// A stack of views in a row or a column, with spacing, edge insets and a fitting size.

#include <QMargins>
#include <QWidget>

class QBoxLayout;

namespace appkit {

enum class Orientation { horizontal, vertical };
// Where the views sit across the stack's direction.
enum class StackAlignment { leading, center, trailing };

class StackView : public QWidget {
  public:
    explicit StackView(Orientation orientation, QWidget* parent = nullptr);

    // The stack takes the view as a child.
    void addArrangedSubview(QWidget* view);
    // Space that takes up what the views leave, pushing the views after it to the far end.
    void addFlexibleSpace();
    int arrangedCount() const;
    QWidget* arrangedSubview(int index) const;

    void setSpacing(int spacing);
    int spacing() const;
    // Top, left, bottom, right, as NSEdgeInsets.
    void setEdgeInsets(int top, int left, int bottom, int right);
    QMargins edgeInsets() const;
    void setAlignment(StackAlignment alignment);

    // The smallest size that shows every arranged view.
    QSize fittingSize() const;

  private:
    Qt::Alignment crossAlignment() const;

    Orientation orientation_;
    StackAlignment alignment_ = StackAlignment::center;
    QBoxLayout* layout_;
};

} // namespace appkit
