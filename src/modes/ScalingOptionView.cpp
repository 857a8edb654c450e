#include "modes/ScalingOptionView.h"

#include "appkit/Colors.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace modes {

namespace {

constexpr double kIcon = 48;

struct Density {
    std::vector<double> heights, widths;
    double gap;
};

const Density& density(int level) {
    static const Density table[] = {
        {{4.5, 3.5, 3.5}, {16, 32, 22}, 3.0},
        {{3.5, 2.5, 2.5, 2.5}, {14, 32, 32, 22}, 2.2},
        {{2.8, 1.8, 1.8, 1.8, 1.8}, {12, 32, 32, 32, 18}, 1.8},
        {{2.0, 1.3, 1.3, 1.3, 1.3, 1.3, 1.3}, {10, 32, 32, 32, 32, 32, 16}, 1.4},
        {{1.5, 0.8, 0.8, 0.8, 0.8, 0.8, 0.8, 0.8, 0.8, 0.8},
         {8, 32, 32, 32, 32, 32, 32, 32, 32, 14},
         1.0},
    };
    return table[std::clamp(level, 0, 4)];
}

} // namespace

ScalingOptionView::ScalingOptionView(platform::DisplayID displayID_,
                                     const platform::DisplayMode& mode_, int optionIndex_,
                                     int totalOptions_, std::string labelText_, QWidget* parent)
    : QWidget(parent), displayID(displayID_), mode(mode_), optionIndex(optionIndex_),
      totalOptions(totalOptions_), labelText(std::move(labelText_)) {
    setAttribute(Qt::WA_Hover);
    setMinimumSize(80, 80);
}

void ScalingOptionView::setEnabled(bool enabled) {
    enabled_ = enabled;
    update();
}

void ScalingOptionView::setSelected(bool selected) {
    selected_ = selected;
    update();
}

void ScalingOptionView::setHovered(bool hovered) {
    hovered_ = hovered;
    update();
}

int ScalingOptionView::densityLevel() const {
    if (totalOptions < 5) {
        static const int levels[] = {0, 1, 3};
        return optionIndex >= 0 && optionIndex < 3 ? levels[optionIndex] : 4;
    }
    return std::clamp(optionIndex, 0, 4);
}

ScalingOptionView::Ring ScalingOptionView::ring() const {
    if (selected_) return Ring::selection;
    if (hovered_ && enabled_) return Ring::hover;
    return Ring::none;
}

QRectF ScalingOptionView::iconRect() const {
    return {(width() - kIcon) / 2, height() - kIcon - 4, kIcon, kIcon};
}

std::vector<QRectF> ScalingOptionView::textLines() const {
    const auto icon = iconRect();
    const auto& d = density(densityLevel());
    std::vector<QRectF> lines;
    double y = icon.y() + icon.height() - 7;
    const double x = icon.x() + 7;
    for (size_t i = 0; i < d.heights.size(); ++i) {
        QRectF line(x, y - d.heights[i], d.widths[i], d.heights[i]);
        if (line.y() < icon.y() + 4) break;
        lines.push_back(line);
        y -= d.heights[i] + d.gap;
    }
    return lines;
}

std::pair<double, double> ScalingOptionView::screenGreys() const {
    return appkit::drawsDark(*this) ? std::pair{0.22, 0.35} : std::pair{0.88, 0.7};
}

void ScalingOptionView::performClick() {
    if (enabled_ && onClick) onClick();
}

void ScalingOptionView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setOpacity(opacity());
    // Drawn in unflipped coordinates, as the icon's measures are given.
    p.translate(0, height());
    p.scale(1, -1);
    const auto icon = iconRect();
    const auto r = ring();
    if (r != Ring::none) {
        const bool sel = r == Ring::selection;
        QPen pen((sel ? appkit::color(appkit::SystemColor::controlAccent)
                      : appkit::color(appkit::SystemColor::separator))
                     .resolve(*this),
                 sel ? 3 : 1.5);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(icon.adjusted(-4, -4, 4, 4), 10, 10);
    }
    const auto [fill, outline] = screenGreys();
    QPainterPath screen;
    screen.addRoundedRect(icon, 6, 6);
    p.fillPath(screen, QColor::fromRgbF(float(fill), float(fill), float(fill)));
    p.setPen(QPen(QColor::fromRgbF(float(outline), float(outline), float(outline)), 1));
    p.drawPath(screen);
    const QColor text =
        appkit::color(appkit::SystemColor::controlText).withAlphaComponent(0.4).resolve(*this);
    for (const auto& line : textLines()) {
        QPainterPath path;
        path.addRoundedRect(line, line.height() / 2, line.height() / 2);
        p.fillPath(path, text);
    }
    p.resetTransform();
    if (!labelText.empty()) {
        QFont f = font();
        f.setPixelSize(10);
        f.setBold(selected_);
        p.setFont(f);
        const double h = QFontMetricsF(f).height();
        p.setPen(appkit::color(appkit::SystemColor::label)
                     .withAlphaComponent(selected_ ? 1.0 : 0.65)
                     .resolve(*this));
        p.drawText(QRectF(0, height() - 2 - h, width(), h), Qt::AlignCenter,
                   QString::fromStdString(labelText));
    }
}

void ScalingOptionView::enterEvent(QEnterEvent*) {
    setHovered(true);
}

void ScalingOptionView::leaveEvent(QEvent*) {
    setHovered(false);
}

void ScalingOptionView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) performClick();
}

} // namespace modes
