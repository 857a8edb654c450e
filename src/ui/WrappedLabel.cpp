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
    minimum_ = hint_ = QSize();
}

int WrappedLabel::heightForWidth(int width) const {
    validate();
    auto it = heights_.find(width);
    if (it == heights_.end()) it = heights_.emplace(width, QLabel::heightForWidth(width)).first;
    return it->second;
}

QSize WrappedLabel::minimumSizeHint() const {
    validate();
    if (!minimum_.isValid()) minimum_ = QLabel::minimumSizeHint();
    return minimum_;
}

QSize WrappedLabel::sizeHint() const {
    validate();
    if (!hint_.isValid()) hint_ = QLabel::sizeHint();
    return hint_;
}

} // namespace ui
