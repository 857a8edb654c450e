#include "appkit/Colors.h"

#include <QVariant>
#include <QWidget>

#include <QWidget>

namespace appkit {

namespace {

QColor baseColor(SystemColor c, bool dark) {
    switch (c) {
    case SystemColor::label:
        return dark ? QColor(255, 255, 255, 217) : QColor(0, 0, 0, 217);
    case SystemColor::text:
        return dark ? QColor(255, 255, 255) : QColor(0, 0, 0);
    case SystemColor::controlText:
        return dark ? QColor(255, 255, 255, 217) : QColor(0, 0, 0, 217);
    case SystemColor::secondaryLabel:
        return dark ? QColor(255, 255, 255, 140) : QColor(0, 0, 0, 128);
    case SystemColor::tertiaryLabel:
        return dark ? QColor(255, 255, 255, 64) : QColor(0, 0, 0, 66);
    case SystemColor::separator:
        return dark ? QColor(255, 255, 255, 26) : QColor(0, 0, 0, 26);
    case SystemColor::controlAccent:
        return dark ? QColor(0x0a, 0x84, 0xff) : QColor(0x00, 0x7a, 0xff);
    case SystemColor::systemBlue:
        return dark ? QColor(0x0a, 0x84, 0xff) : QColor(0x00, 0x7a, 0xff);
    case SystemColor::systemRed:
        return dark ? QColor(0xff, 0x45, 0x3a) : QColor(0xff, 0x3b, 0x30);
    case SystemColor::systemOrange:
        return dark ? QColor(0xff, 0x9f, 0x0a) : QColor(0xff, 0x95, 0x00);
    case SystemColor::systemGreen:
        return dark ? QColor(0x30, 0xd1, 0x58) : QColor(0x34, 0xc7, 0x59);
    case SystemColor::white:
        return QColor(255, 255, 255);
    case SystemColor::black:
        return QColor(0, 0, 0);
    case SystemColor::clear:
        return QColor(0, 0, 0, 0);
    }
    return QColor(0, 0, 0);
}

} // namespace

QColor DynamicColor::resolve(bool dark) const {
    QColor c = baseColor(base, dark);
    c.setAlphaF(float(c.alphaF() * alpha));
    return c;
}

QColor DynamicColor::resolve(const QWidget& in) const {
    return resolve(drawsDark(in));
}

namespace {
constexpr const char* kTextColor = "nightlidTextColor";
constexpr const char* kTextAlpha = "nightlidTextAlpha";

void applyTextColor(QWidget& label, bool dark) {
    const QVariant base = label.property(kTextColor);
    if (!base.isValid()) return;
    const DynamicColor c{SystemColor(base.toInt()), label.property(kTextAlpha).toDouble()};
    // A palette colour, not a style sheet: a sheet gives every label a style of its own to
    // parse and polish, which was most of what building the control window cost.
    const QColor colour = c.resolve(dark);
    if (label.palette().color(QPalette::WindowText) == colour &&
        label.palette().isBrushSet(QPalette::Active, QPalette::WindowText))
        return;
    QPalette palette = label.palette();
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(role, colour);
    label.setPalette(palette);
}
} // namespace

void setTextColor(QWidget& label, DynamicColor color) {
    label.setProperty(kTextColor, int(color.base));
    label.setProperty(kTextAlpha, color.alpha);
    // The window's appearance, read off its top: a card on the way may paint its own palette.
    applyTextColor(label, drawsDark(*label.window()));
}

void applyTextColors(QWidget& root) {
    const bool dark = drawsDark(root);
    applyTextColor(root, dark);
    for (auto* child : root.findChildren<QWidget*>())
        applyTextColor(*child, dark);
}

bool drawsDark(const QWidget& widget) {
    return widget.palette().color(QPalette::Window).lightness() < 128;
}

} // namespace appkit
