#include "ui/WrappedLabel.h"

namespace ui {

WrappedLabel::WrappedLabel(const QString& text, int width) : QLabel(text) {
    setWordWrap(true);
    setFixedWidth(width);
}

void WrappedLabel::validate() const {
    if (measuredText_ == text() && measuredFont_ == font()) return;
    measuredText_ = text();
    measuredFont_ = font();
    heights_.clear();
    minimum_ = QSize();
}

int WrappedLabel::heightForWidth(int width) const {
    validate();
    // Its width is fixed: whatever width a layout asks about, it wraps at its own.
    if (minimumWidth() == maximumWidth()) width = minimumWidth();
    auto it = heights_.find(width);
    // Lines set in a fallback font (Korean, emoji) run taller than the label's own font says.
    if (it == heights_.end())
        it = heights_.emplace(width, QLabel::heightForWidth(width) + fontMetrics().height() / 2)
                 .first;
    return it->second;
}

// Every line of the text at the label's fixed width: a layout that does not ask for the height
// at a width must not cut the last lines off.
QSize WrappedLabel::minimumSizeHint() const {
    validate();
    if (!minimum_.isValid()) minimum_ = QSize(width(), heightForWidth(width()));
    return minimum_;
}

QSize WrappedLabel::sizeHint() const {
    return minimumSizeHint();
}

} // namespace ui
