#include "appkit/RoundedPlate.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <vector>

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
// rasterized (as wide or as tall as the plate where it is narrower), and the plate is put together
// from its parts on every paint: rasterizing a card's or a scroller's whole outline band after
// band cost more than everything else its paint did, and keeping a whole card's picture cost its
// memory.
void RoundedPlate::paint(QPainter& painter, const QRect& rect, qreal scale, const Look& look) {
    if (rect.isEmpty()) return;
    const QSizeF exact = QSizeF(rect.size()) * scale;
    const int corner = int(std::ceil((look.radius + look.borderWidth) * scale)) + 2;
    const int piece = 2 * corner + 1;
    // A plate that does not fill whole pixels would not line up with its parts.
    const bool whole = exact == QSizeF(exact.toSize());
    const bool wide = whole && exact.width() >= piece;
    const bool tall = whole && exact.height() >= piece;
    const QSize pixels(wide ? piece : int(std::lround(exact.width())),
                       tall ? piece : int(std::lround(exact.height())));
    if (!whole) {
        if (image_.isNull() || image_.size() != exact.toSize() || scale != scale_ ||
            !(look == look_) || points_ != QSizeF(rect.size())) {
            image_ = rasterize(exact.toSize(), QSizeF(rect.size()), scale, look);
            points_ = QSizeF(rect.size());
            scale_ = scale;
            look_ = look;
        }
        painter.drawImage(rect.topLeft(), image_);
        return;
    }
    const QSizeF points = QSizeF(pixels) / scale;
    if (image_.isNull() || pixels != image_.size() || scale != scale_ || !(look == look_) ||
        points_ != points) {
        image_ = rasterize(pixels, points, scale, look);
        points_ = points;
        scale_ = scale;
        look_ = look;
    }
    // Each way, three parts (the middle one stretched from a single line of pixels) or one.
    struct Part {
        qreal at, length;
        int from, span;
    };
    auto parts = [&](bool split, qreal start, qreal length, int pixelsLong) {
        std::vector<Part> out;
        if (!split) {
            out.push_back({start, length, 0, pixelsLong});
            return out;
        }
        const qreal side = corner / scale;
        out.push_back({start, side, 0, corner});
        out.push_back({start + side, length - 2 * side, corner, 1});
        out.push_back({start + length - side, side, corner + 1, corner});
        return out;
    };
    const auto columns = parts(wide, rect.x(), rect.width(), pixels.width());
    const auto rows = parts(tall, rect.y(), rect.height(), pixels.height());
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    for (const Part& row : rows)
        for (const Part& column : columns)
            painter.drawImage(QRectF(column.at, row.at, column.length, row.length), image_,
                              QRectF(column.from, row.from, column.span, row.span));
    painter.restore();
}

} // namespace appkit
