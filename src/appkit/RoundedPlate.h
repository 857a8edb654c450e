#pragma once
// A rounded rectangle, filled and outlined, drawn once for its colours and copied on every later
// paint. Qt splits any fill of more than about a hundred spans (a card's rows) across
// its thread pool and waits for it: drawn directly, a window of cards paid that thread hand-off on
// every repaint, and at launch many times over.

#include <QColor>
#include <QImage>
#include <QRect>

class QPainter;

namespace appkit {

class RoundedPlate {
  public:
    struct Look {
        double radius = 0;
        QColor fill;
        QColor border;
        double borderWidth = 0;
        bool operator==(const Look&) const = default;
    };

    // Draws the plate over `rect` (its border inset by half its width) at the device's scale.
    void paint(QPainter& painter, const QRect& rect, qreal scale, const Look& look);

  private:
    QImage image_;
    Look look_;
    QSizeF points_;
    qreal scale_ = 0;
};

} // namespace appkit
