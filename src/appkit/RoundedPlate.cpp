#include "appkit/RoundedPlate.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace appkit {

namespace {

// Fewer rows than Qt's threshold for a parallel fill, so each band is drawn on this thread.
constexpr int kBandRows = 24;

// `pixels` of the image, the plate's own size in points.
QImage rasterize(QSize pixels, QSizeF points, qreal scale, const RoundedPlate::Look& look) {
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    const double inset = look.borderWidth / 2;
    QPainterPath path;
    path.addRoundedRect(QRectF(QPointF(0, 0), points).adjusted(inset, inset, -inset, -inset),
                        look.radius, look.radius);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QPen pen(look.border, look.borderWidth);
    for (int row = 0; row < image.height(); row += kBandRows) {
        p.setClipRect(QRectF(0, row / scale, points.width(), kBandRows / scale));
        p.fillPath(path, look.fill);
        if (look.borderWidth > 0) p.strokePath(path, pen);
    }
    return image;
}

} // namespace

// A plate is four corners with straight edges between them: every row of a side edge and every
// column of the top and bottom edges is alike. So only a plate just big enough for its corners is
// rasterized, and a large one is put together from its nine parts on every paint: rasterizing a
// card's whole outline band after band cost more than everything else its paint did, and keeping
// a whole card's picture cost its memory.
void RoundedPlate::paint(QPainter& painter, const QRect& rect, qreal scale, const Look& look) {
    if (rect.isEmpty()) return;
    const QSizeF exact = QSizeF(rect.size()) * scale;
    const int corner = int(std::ceil((look.radius + look.borderWidth) * scale)) + 2;
    const int piece = 2 * corner + 1;
    // A plate that does not fill whole pixels would not line up with its parts.
    const bool inParts = exact == QSizeF(exact.toSize()) && exact.width() >= piece &&
                         exact.height() >= piece;
    const QSize pixels = inParts ? QSize(piece, piece) : exact.toSize();
    if (image_.isNull() || pixels != image_.size() || scale != scale_ || !(look == look_)) {
        image_ = rasterize(pixels, inParts ? QSizeF(pixels) / scale : QSizeF(rect.size()), scale,
                           look);
        scale_ = scale;
        look_ = look;
    }
    if (!inParts) {
        painter.drawImage(rect.topLeft(), image_);
        return;
    }
    const qreal side = corner / scale;
    const qreal left = rect.x(), top = rect.y();
    const qreal middleWidth = rect.width() - 2 * side, middleHeight = rect.height() - 2 * side;
    const qreal xs[3] = {left, left + side, left + rect.width() - side};
    const qreal ys[3] = {top, top + side, top + rect.height() - side};
    const qreal widths[3] = {side, middleWidth, side};
    const qreal heights[3] = {side, middleHeight, side};
    const int from[3] = {0, corner, corner + 1};
    const int span[3] = {corner, 1, corner};
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            painter.drawImage(QRectF(xs[column], ys[row], widths[column], heights[row]), image_,
                              QRectF(from[column], from[row], span[column], span[row]));
    painter.restore();
}

} // namespace appkit
