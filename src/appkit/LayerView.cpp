#include "appkit/LayerView.h"

#include <QPainter>

namespace appkit {

LayerView::LayerView(QWidget* parent) : QWidget(parent) {}

void LayerView::setCornerRadius(double radius) {
    cornerRadius_ = radius;
    update();
}

void LayerView::setBorderWidth(double width) {
    borderWidth_ = width;
    update();
}

void LayerView::setBorderColor(DynamicColor color) {
    borderColor_ = color;
    update();
}

void LayerView::setLayerBackgroundColor(DynamicColor color) {
    background_ = color;
    update();
}

void LayerView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    plate_.paint(
        p, rect(), devicePixelRatioF(),
        {cornerRadius_, background_.resolve(*this), borderColor_.resolve(*this), borderWidth_});
}

} // namespace appkit
