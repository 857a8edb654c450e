#pragma once
// An image in the manner of NSImage: a size in points, a bitmap drawn at twice that, and the
// template flag (a template image is drawn in its view's tint colour, keeping only its alpha).

#include <QImage>
#include <QSizeF>

#include <string>

namespace appkit {

struct Image {
    QSizeF size;
    QImage bitmap;
    bool isTemplate = false;
    std::string accessibilityDescription;
    // Drawn instead of bitmap in a dark appearance, when the drawing differs there.
    QImage darkBitmap;

    const QImage& bitmapFor(bool dark) const {
        return dark && !darkBitmap.isNull() ? darkBitmap : bitmap;
    }
};

// The bitmap drawn in one colour, keeping the image's alpha.
QImage tinted(const QImage& bitmap, const QColor& color);

} // namespace appkit
