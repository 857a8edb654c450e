#include "ui/ClickableTitleStackView.h"

#include "appkit/Button.h"
#include "appkit/PopUpButton.h"
#include "appkit/SegmentedControl.h"
#include "appkit/Slider.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QLabel>
#include <QMouseEvent>

namespace ui {

ClickableTitleStackView::ClickableTitleStackView(QWidget* parent)
    : appkit::StackView(appkit::Orientation::horizontal, parent) {
    setAlignment(appkit::StackAlignment::center);
}

bool ClickableTitleStackView::isControlAt(QWidget* hit) const {
    for (QWidget* w = hit; w && w != this; w = w->parentWidget()) {
        if (dynamic_cast<appkit::Button*>(w) || dynamic_cast<appkit::PopUpButton*>(w) ||
            dynamic_cast<appkit::SegmentedControl*>(w) || dynamic_cast<appkit::Slider*>(w) ||
            qobject_cast<QAbstractButton*>(w) || qobject_cast<QAbstractSlider*>(w) ||
            qobject_cast<QComboBox*>(w))
            return true;
        // A label the user can select text in works like a control; a plain one does not.
        if (auto* label = qobject_cast<QLabel*>(w);
            label && (label->textInteractionFlags() & Qt::TextSelectableByMouse))
            return true;
    }
    return false;
}

void ClickableTitleStackView::mousePressEvent(QMouseEvent* event) {
    // Controls take their own clicks before they get here; what arrives is a click on the row.
    if (isControlAt(childAt(event->position().toPoint()))) {
        appkit::StackView::mousePressEvent(event);
        return;
    }
    if (onClick) onClick();
}

} // namespace ui
