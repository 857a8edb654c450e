#include "ui/OneLineLabel.h"

#include "appkit/Pictographs.h"

#include <QStyle>
#include <QTextDocument>

namespace ui {

OneLineLabel::OneLineLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {}

bool OneLineLabel::plainLine() const {
    if (text().isEmpty() || wordWrap() || frameShape() != QFrame::NoFrame || indent() > 0 ||
        buddy())
        return false;
    if (!pixmap().isNull() || !picture().isNull() || movie()) return false;
    const auto format = textFormat();
    return format == Qt::PlainText || (format == Qt::AutoText && !Qt::mightBeRichText(text()));
}

QSize OneLineLabel::sizeHint() const {
    if (!plainLine()) return QLabel::sizeHint();
    const int align = QStyle::visualAlignment(layoutDirection(), alignment());
    if (measured_.isValid() && measuredText_ == text() && measuredFont_ == font() &&
        measuredAlignment_ == align)
        return measured_.expandedTo(minimumSize());
    ensurePolished();
    const QMargins margins = contentsMargins();
    const int extra = 2 * margin();
    // Centring is left out as QLabel does: it only rounds, and all that is wanted is the size.
    const int flags = align & ~(Qt::AlignVCenter | Qt::AlignHCenter);
    const auto plain = appkit::withoutPictographs(text());
    QRect box = fontMetrics().boundingRect(0, 0, 2000 - extra - margins.left() - margins.right(),
                                           2000, flags, plain.text);
    box.setWidth(box.width() + plain.pictographs * appkit::pictographWidth(font()));
    measuredText_ = text();
    measuredFont_ = font();
    measuredAlignment_ = align;
    measured_ = QSize(box.width() + extra + margins.left() + margins.right(),
                      box.height() + extra + margins.top() + margins.bottom());
    return measured_.expandedTo(minimumSize());
}

// A line that never wraps is as narrow as it is wide.
QSize OneLineLabel::minimumSizeHint() const {
    return plainLine() ? sizeHint() : QLabel::minimumSizeHint();
}

} // namespace ui
