#include "appkit/ImageView.h"

#include <QPainter>

namespace appkit {

namespace {

// A premultiplied pixel scaled by alpha / 255, both channel pairs at once, rounded as Qt's own
// composition rounds.
inline QRgb byteMul(QRgb pixel, uint alpha) {
    uint pair = (pixel & 0xff00ff) * alpha;
    pair = ((pair + ((pair >> 8) & 0xff00ff) + 0x800080) >> 8) & 0xff00ff;
    uint other = ((pixel >> 8) & 0xff00ff) * alpha;
    other = (other + ((other >> 8) & 0xff00ff) + 0x800080) & 0xff00ff00;
    return other | pair;
}

} // namespace

// The colour where the image is, as opaque as the image there (the source-in composition),
// written pixel by pixel: Qt's own composition for it is generic and many times slower.
QImage tinted(const QImage& bitmap, const QColor& color) {
    QImage out = bitmap.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QRgb premultiplied = qPremultiply(color.rgba());
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            line[x] = byteMul(premultiplied, qAlpha(line[x]));
    }
    return out;
}

ImageView::ImageView(QWidget* parent) : QWidget(parent) {}

void ImageView::setImage(std::optional<Image> image) {
    image_ = std::move(image);
    update();
}

void ImageView::setContentTintColor(std::optional<DynamicColor> tint) {
    tint_ = tint;
    update();
}

void ImageView::paintEvent(QPaintEvent*) {
    if (!image_ || image_->bitmap.isNull()) return;
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    QImage shown = image_->bitmap;
    if (image_->isTemplate) {
        // Tinted once for its image and colour, not on every paint.
        const QColor tint =
            tint_ ? tint_->resolve(*this) : color(SystemColor::label).resolve(*this);
        if (tinted_.isNull() || tintedFrom_ != shown.cacheKey() || tintedWith_ != tint.rgba()) {
            tinted_ = tinted(shown, tint);
            tintedFrom_ = shown.cacheKey();
            tintedWith_ = tint.rgba();
        }
        shown = tinted_;
    }
    QSizeF size = image_->size;
    QRectF target((width() - size.width()) / 2, (height() - size.height()) / 2, size.width(),
                  size.height());
    p.drawImage(target, shown);
}

} // namespace appkit
