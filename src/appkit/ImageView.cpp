#include "appkit/ImageView.h"

#include <QPainter>

namespace appkit {

// The colour where the image is, as opaque as the image there (the source-in composition),
// rounded as Qt rounds it: its own composition for this is generic and several times slower.
QImage tinted(const QImage& bitmap, const QColor& color) {
    QImage out = bitmap.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QRgb premultiplied = qPremultiply(color.rgba());
    // Two channels at a time, each pair scaled by the pixel's alpha / 255.
    const uint redBlue = premultiplied & 0xff00ff;
    const uint alphaGreen = (premultiplied >> 8) & 0xff00ff;
    const int width = out.width(), height = out.height();
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const uint alpha = qAlpha(line[x]);
            uint low = redBlue * alpha;
            low = ((low + ((low >> 8) & 0xff00ff) + 0x800080) >> 8) & 0xff00ff;
            uint high = alphaGreen * alpha;
            high = (high + ((high >> 8) & 0xff00ff) + 0x800080) & 0xff00ff00;
            line[x] = high | low;
        }
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
        // Tinted once for its image, colour and size, not on every paint; at the size it is shown,
        // so a large symbol is tinted, and then drawn, as small as it is on screen.
        const QColor tint =
            tint_ ? tint_->resolve(*this) : color(SystemColor::label).resolve(*this);
        const qreal scale = devicePixelRatioF();
        const QSize onScreen = (image_->size * scale).toSize();
        if (tinted_.isNull() || tintedFrom_ != shown.cacheKey() || tintedWith_ != tint.rgba() ||
            tintedAt_ != onScreen) {
            const bool smaller = !onScreen.isEmpty() && onScreen.width() < shown.width() &&
                                 onScreen.height() < shown.height();
            tinted_ = tinted(
                smaller ? shown.scaled(onScreen, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                        : shown,
                tint);
            if (smaller) tinted_.setDevicePixelRatio(scale);
            tintedFrom_ = shown.cacheKey();
            tintedWith_ = tint.rgba();
            tintedAt_ = onScreen;
        }
        shown = tinted_;
    }
    QSizeF size = image_->size;
    QRectF target((width() - size.width()) / 2, (height() - size.height()) / 2, size.width(),
                  size.height());
    p.drawImage(target, shown);
}

} // namespace appkit
