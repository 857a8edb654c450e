#include "appkit/RoundedPlate.h"

#include <QPainter>
#include <QPainterPath>

namespace appkit {

namespace {

// Fewer rows than Qt's threshold for a parallel fill, so each band is drawn on this thread.
constexpr int kBandRows = 24;

QImage drawPlate(QSize size, qreal scale, const RoundedPlate::Look& look) {
    QImage image((QSizeF(size) * scale).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    const double inset = look.borderWidth / 2;
    QPainterPath path;
    path.addRoundedRect(QRectF(QPointF(0, 0), QSizeF(size)).adjusted(inset, inset, -inset, -inset),
                        look.radius, look.radius);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QPen pen(look.border, look.borderWidth);
    for (int row = 0; row < image.height(); row += kBandRows) {
        p.setClipRect(QRectF(0, row / scale, size.width(), kBandRows / scale));
        p.fillPath(path, look.fill);
        if (look.borderWidth > 0) p.strokePath(path, pen);
    }
    return image;
}

} // namespace

void RoundedPlate::paint(QPainter& painter, const QRect& rect, qreal scale, const Look& look) {
    if (rect.isEmpty()) return;
    if (image_.isNull() || rect.size() != size_ || scale != scale_ || !(look == look_)) {
        image_ = drawPlate(rect.size(), scale, look);
        size_ = rect.size();
        scale_ = scale;
        look_ = look;
    }
    painter.drawImage(rect.topLeft(), image_);
}

} // namespace appkit
