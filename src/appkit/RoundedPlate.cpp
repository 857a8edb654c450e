#include "appkit/RoundedPlate.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>
#include <vector>

namespace appkit {

namespace {

// Qt hands a blend of 96 spans or more to its thread pool and waits for it. A copied row is one
// span; an antialiased row of a corner may be one span a pixel.
constexpr int kMaxSpans = 90;
constexpr int kMaxPieces = 32;

// `pixels` of the image, the plate's own size in points, drawn in bands of rows that each stay
// on this thread.
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
    const int rows = std::max(1, kMaxSpans / std::max(1, pixels.width()));
    for (int row = 0; row < image.height(); row += rows) {
        p.setClipRect(QRectF(0, row / scale, points.width(), rows / scale));
        p.fillPath(path, look.fill);
        if (look.borderWidth > 0) p.strokePath(path, pen);
    }
    return image;
}

// Plates of one look (every card's) share their corner piece: it is drawn once.
const QImage& cornerPiece(QSize pixels, QSizeF points, qreal scale,
                          const RoundedPlate::Look& look) {
    using Key = std::tuple<int, int, double, double, double, double, QRgb, QRgb, double>;
    static std::map<Key, QImage> drawn;
    const Key key{pixels.width(), pixels.height(),  points.width(),     points.height(), scale,
                  look.radius,    look.fill.rgba(), look.border.rgba(), look.borderWidth};
    if (auto it = drawn.find(key); it != drawn.end()) return it->second;
    if (drawn.size() >= kMaxPieces) drawn.clear();
    return drawn.emplace(key, rasterize(pixels, points, scale, look)).first->second;
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
        image_ = cornerPiece(pixels, points, scale, look);
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
    std::vector<Part> rows;
    for (const Part& row : parts(tall, rect.y(), rect.height(), pixels.height())) {
        // A tall stretch is copied a few rows at a time, each copy on this thread.
        const int deviceRows = int(std::lround(row.length * scale));
        if (row.span != 1 || deviceRows <= kMaxSpans) {
            rows.push_back(row);
            continue;
        }
        for (int done = 0; done < deviceRows; done += kMaxSpans)
            rows.push_back({row.at + done / scale, std::min(kMaxSpans, deviceRows - done) / scale,
                            row.from, 1});
    }
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    for (const Part& row : rows)
        for (const Part& column : columns)
            painter.drawImage(QRectF(column.at, row.at, column.length, row.length), image_,
                              QRectF(column.from, row.from, column.span, row.span));
    painter.restore();
}

} // namespace appkit
