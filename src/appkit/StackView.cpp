#include "appkit/StackView.h"

#include <QCoreApplication>
#include <QEvent>

#include <QBoxLayout>

namespace appkit {

StackView::StackView(Orientation orientation, QWidget* parent)
    : QWidget(parent), orientation_(orientation) {
    layout_ = new QBoxLayout(orientation == Orientation::vertical ? QBoxLayout::TopToBottom
                                                                  : QBoxLayout::LeftToRight,
                             this);
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSpacing(8);
}

void StackView::addArrangedSubview(QWidget* view) {
    layout_->addWidget(view, 0, crossAlignment());
}

void StackView::addFlexibleSpace() {
    layout_->addStretch(1);
}

int StackView::arrangedCount() const {
    int n = 0;
    for (int i = 0; i < layout_->count(); ++i)
        if (layout_->itemAt(i)->widget()) ++n;
    return n;
}

QWidget* StackView::arrangedSubview(int index) const {
    for (int i = 0; i < layout_->count(); ++i) {
        auto* w = layout_->itemAt(i)->widget();
        if (w && index-- == 0) return w;
    }
    return nullptr;
}

void StackView::setSpacing(int spacing) {
    layout_->setSpacing(spacing);
}

int StackView::spacing() const {
    return layout_->spacing();
}

void StackView::setEdgeInsets(int top, int left, int bottom, int right) {
    layout_->setContentsMargins(left, top, right, bottom);
}

QMargins StackView::edgeInsets() const {
    return layout_->contentsMargins();
}

void StackView::setAlignment(StackAlignment alignment) {
    alignment_ = alignment;
    for (int i = 0; i < layout_->count(); ++i)
        if (auto* w = layout_->itemAt(i)->widget()) layout_->setAlignment(w, crossAlignment());
}

Qt::Alignment StackView::crossAlignment() const {
    const bool vertical = orientation_ == Orientation::vertical;
    switch (alignment_) {
    case StackAlignment::leading:
        return vertical ? Qt::AlignLeft : Qt::AlignTop;
    case StackAlignment::trailing:
        return vertical ? Qt::AlignRight : Qt::AlignBottom;
    case StackAlignment::center:
        break;
    }
    return vertical ? Qt::AlignHCenter : Qt::AlignVCenter;
}

QSize StackView::fittingSize() const {
    // Views shown or hidden since the last pass wait in posted layout requests.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    layout_->activate();
    return layout_->minimumSize().expandedTo(layout_->sizeHint());
}

} // namespace appkit
