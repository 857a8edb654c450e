#include "appkit/LayerView.h"

#include <QPainter>
#include <QPainterPath>

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
    p.setRenderHint(QPainter::Antialiasing);
    const double inset = borderWidth_ / 2;
    QRectF r = QRectF(rect()).adjusted(inset, inset, -inset, -inset);
    QPainterPath path;
    path.addRoundedRect(r, cornerRadius_, cornerRadius_);
    p.fillPath(path, background_.resolve(*this));
    if (borderWidth_ > 0) {
        p.setPen(QPen(borderColor_.resolve(*this), borderWidth_));
        p.drawPath(path);
    }
}

} // namespace appkit
