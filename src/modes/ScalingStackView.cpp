#include "modes/ScalingStackView.h"

#include "appkit/Colors.h"
#include "modes/ScalingOptionView.h"

#include <QPainter>

namespace modes {

ScalingStackView::ScalingStackView(QWidget* parent)
    : appkit::StackView(appkit::Orientation::horizontal, parent) {}

std::vector<QLineF> ScalingStackView::trackLines() const {
    std::vector<QPointF> points;
    for (int i = 0; i < arrangedCount(); ++i)
        if (auto* option = dynamic_cast<ScalingOptionView*>(arrangedSubview(i)))
            // 21 points above the option's bottom edge.
            points.push_back(
                option->mapTo(this, QPointF(option->width() / 2.0, option->height() - 21.0)));
    if (points.size() < 2) return {};
    std::vector<QLineF> lines{QLineF(points.front(), points.back())};
    for (const auto& pt : points)
        lines.emplace_back(pt.x(), pt.y() + 3, pt.x(), pt.y() - 3);
    return lines;
}

void ScalingStackView::paintEvent(QPaintEvent* event) {
    appkit::StackView::paintEvent(event);
    const auto lines = trackLines();
    if (lines.empty()) return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(
        QPen(appkit::color(appkit::SystemColor::text).withAlphaComponent(0.2).resolve(*this), 2));
    for (const auto& line : lines)
        p.drawLine(line);
}

} // namespace modes
