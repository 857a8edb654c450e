#include "ui/InteractiveImageView.h"

#include <QMouseEvent>

namespace ui {

InteractiveImageView::InteractiveImageView(QWidget* parent) : appkit::ImageView(parent) {
    setCursor(Qt::PointingHandCursor);
}

void InteractiveImageView::performClick() {
    if (onClick) onClick();
}

void InteractiveImageView::mousePressEvent(QMouseEvent* event) {
    event->accept();
    performClick();
}

} // namespace ui
