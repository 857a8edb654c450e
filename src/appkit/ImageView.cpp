#include "appkit/ImageView.h"

#include <QPainter>

#include <algorithm>

namespace appkit {

QImage tinted(const QImage& bitmap, const QColor& color) {
    QImage out = bitmap.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const qreal scale = out.devicePixelRatio();
    out.setDevicePixelRatio(1); // painted in pixels
    {
        QPainter p(&out);
        p.setCompositionMode(QPainter::CompositionMode_SourceIn);
        // A few rows at a time: Qt hands a fill of 96 rows or more to its thread pool and waits.
        constexpr int kRows = 64;
        for (int row = 0; row < out.height(); row += kRows)
            p.fillRect(QRect(0, row, out.width(), std::min(kRows, out.height() - row)), color);
    }
    out.setDevicePixelRatio(scale);
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
