#include "platform/SymbolImages.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <cmath>
#include <map>
#include <numbers>
#include <tuple>

namespace platform {

namespace {

// Every drawing works in a unit square; the painter is scaled to the image first.
using Drawing = void (*)(QPainter&, const QColor&);

QPen strokePen(const QColor& color, double width) {
    QPen pen(color, width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

void drawLaptop(QPainter& p, const QColor& c) {
    p.setPen(strokePen(c, 0.075));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(0.18, 0.22, 0.64, 0.44), 0.05, 0.05);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawRoundedRect(QRectF(0.03, 0.72, 0.94, 0.085), 0.04, 0.04);
}

void drawDisplay(QPainter& p, const QColor& c) {
    p.setPen(strokePen(c, 0.075));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(0.08, 0.14, 0.84, 0.54), 0.06, 0.06);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawRect(QRectF(0.45, 0.70, 0.10, 0.10));
    p.drawRoundedRect(QRectF(0.28, 0.79, 0.44, 0.075), 0.035, 0.035);
}

void drawSun(QPainter& p, const QColor& c) {
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawEllipse(QPointF(0.5, 0.5), 0.2, 0.2);
    p.setPen(strokePen(c, 0.08));
    for (int i = 0; i < 8; ++i) {
        double a = i * std::numbers::pi / 4;
        QPointF dir(std::cos(a), std::sin(a));
        p.drawLine(QPointF(0.5, 0.5) + dir * 0.31, QPointF(0.5, 0.5) + dir * 0.44);
    }
}

void drawMoon(QPainter& p, const QColor& c) {
    QPainterPath disc;
    disc.addEllipse(QPointF(0.48, 0.52), 0.36, 0.36);
    QPainterPath bite;
    bite.addEllipse(QPointF(0.70, 0.34), 0.30, 0.30);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPath(disc.subtracted(bite));
}

void drawSpeaker(QPainter& p, const QColor& c) {
    QPainterPath body;
    body.moveTo(0.06, 0.38);
    body.lineTo(0.20, 0.38);
    body.lineTo(0.42, 0.18);
    body.lineTo(0.42, 0.82);
    body.lineTo(0.20, 0.62);
    body.lineTo(0.06, 0.62);
    body.closeSubpath();
    p.setPen(strokePen(c, 0.04));
    p.setBrush(c);
    p.drawPath(body);
    p.setPen(strokePen(c, 0.07));
    p.setBrush(Qt::NoBrush);
    for (double r : {0.16, 0.31}) {
        QRectF box(0.46 - r, 0.5 - r, 2 * r, 2 * r);
        p.drawArc(box, -45 * 16, 90 * 16);
    }
}

void drawPower(QPainter& p, const QColor& c) {
    p.setPen(strokePen(c, 0.09));
    p.setBrush(Qt::NoBrush);
    // The ring leaves a gap at the top for the bar.
    p.drawArc(QRectF(0.18, 0.22, 0.64, 0.64), 125 * 16, 290 * 16);
    p.drawLine(QPointF(0.5, 0.12), QPointF(0.5, 0.48));
}

void drawChevron(QPainter& p, const QColor& c, bool down) {
    p.setPen(strokePen(c, 0.1));
    p.setBrush(Qt::NoBrush);
    const double tip = down ? 0.66 : 0.34, ends = down ? 0.36 : 0.64;
    p.drawPolyline(QPolygonF({QPointF(0.2, ends), QPointF(0.5, tip), QPointF(0.8, ends)}));
}

void drawChevronDown(QPainter& p, const QColor& c) {
    drawChevron(p, c, true);
}

void drawChevronUp(QPainter& p, const QColor& c) {
    drawChevron(p, c, false);
}

// Three tracks, each with its knob at another place.
void drawSliders(QPainter& p, const QColor& c) {
    const double knobs[] = {0.32, 0.66, 0.45};
    for (int i = 0; i < 3; ++i) {
        const double y = 0.22 + 0.28 * i;
        p.setPen(strokePen(c, 0.07));
        p.drawLine(QPointF(0.1, y), QPointF(0.9, y));
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawEllipse(QPointF(knobs[i], y), 0.09, 0.09);
    }
}

// A full battery: the body, its cap and the charge filling it.
void drawBattery(QPainter& p, const QColor& c) {
    p.setPen(strokePen(c, 0.06));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(0.06, 0.3, 0.78, 0.4), 0.08, 0.08);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawRoundedRect(QRectF(0.86, 0.42, 0.07, 0.16), 0.03, 0.03);
    p.drawRoundedRect(QRectF(0.12, 0.36, 0.66, 0.28), 0.04, 0.04);
}

// A running figure: head, body, arms and legs in stride.
void drawRunner(QPainter& p, const QColor& c) {
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawEllipse(QPointF(0.6, 0.16), 0.09, 0.09);
    p.setPen(strokePen(c, 0.09));
    p.drawLine(QPointF(0.55, 0.32), QPointF(0.45, 0.58));
    p.drawPolyline(QPolygonF(
        {QPointF(0.3, 0.42), QPointF(0.42, 0.32), QPointF(0.62, 0.36), QPointF(0.72, 0.48)}));
    p.drawPolyline(QPolygonF({QPointF(0.45, 0.58), QPointF(0.62, 0.72), QPointF(0.6, 0.9)}));
    p.drawPolyline(QPolygonF({QPointF(0.45, 0.58), QPointF(0.36, 0.76), QPointF(0.18, 0.8)}));
}

Drawing drawingFor(const std::string& name) {
    if (name == "laptopcomputer") return drawLaptop;
    if (name == "display") return drawDisplay;
    if (name == "sun.max.fill") return drawSun;
    if (name == "moon.fill") return drawMoon;
    if (name == "speaker.wave.2.fill") return drawSpeaker;
    if (name == "power") return drawPower;
    if (name == "chevron.down") return drawChevronDown;
    if (name == "chevron.up") return drawChevronUp;
    if (name == "slider.horizontal.3") return drawSliders;
    if (name == "battery.100") return drawBattery;
    if (name == "figure.run") return drawRunner;
    return nullptr;
}

constexpr double kPixelsPerPoint = 2.0;
constexpr size_t kMaxCachedSymbols = 256;

} // namespace

bool hasSystemSymbol(const std::string& name) {
    return drawingFor(name) != nullptr;
}

std::optional<QImage> systemSymbolImage(const std::string& name, int size, const QColor& color) {
    auto draw = drawingFor(name);
    if (!draw || size <= 0) return std::nullopt;
    // Every window build draws the same few symbols again; images are shared, not copied.
    using Key = std::tuple<std::string, int, QRgb>;
    static std::map<Key, QImage> drawn;
    const Key key{name, size, color.rgba()};
    if (auto it = drawn.find(key); it != drawn.end()) return it->second;
    if (drawn.size() >= kMaxCachedSymbols) drawn.clear();
    int pixels = int(std::lround(size * kPixelsPerPoint));
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(pixels, pixels);
        draw(p, color);
    }
    image.setDevicePixelRatio(kPixelsPerPoint);
    drawn.emplace(key, image);
    return image;
}

std::optional<QIcon> systemSymbol(const std::string& name, int size, const QColor& color) {
    auto image = systemSymbolImage(name, size, color);
    if (!image) return std::nullopt;
    return QIcon(QPixmap::fromImage(*image));
}

} // namespace platform
