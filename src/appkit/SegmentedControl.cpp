#include "appkit/SegmentedControl.h"

#include <QButtonGroup>
#include <QEvent>
#include <QHBoxLayout>
#include <QPushButton>

#include "appkit/Colors.h"

namespace appkit {

SegmentedControl::SegmentedControl(const std::vector<std::string>& labels, QWidget* parent)
    : QWidget(parent), labels_(labels), group_(new QButtonGroup(this)) {
    group_->setExclusive(true);
    applyStyle();
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (size_t i = 0; i < labels_.size(); ++i) {
        auto* b = new QPushButton(QString::fromStdString(labels_[i]), this);
        b->setCheckable(true);
        b->setMinimumWidth(44);
        group_->addButton(b, int(i));
        layout->addWidget(b);
    }
    // idClicked comes from the user only.
    connect(group_, &QButtonGroup::idToggled, this, [this](int, bool) { applyStyle(); });
    connect(group_, &QButtonGroup::idClicked, this, [this](int) {
        if (action_) action_(*this);
    });
}

// One joined control: a rounded frame split into segments, the selected one in the accent
// colour, the others in the window's own colours.
void SegmentedControl::applyStyle() {
    const bool dark = drawsDark(*this);
    const QString border = dark ? "rgba(255,255,255,60)" : "rgba(0,0,0,45)";
    const QString plain = dark ? "rgba(255,255,255,20)" : "rgba(255,255,255,230)";
    const QString text = palette().color(QPalette::WindowText).name();
    const auto buttons = group_->buttons();
    for (int i = 0; i < buttons.size(); ++i) {
        auto* b = buttons[i];
        const bool first = i == 0, last = i == buttons.size() - 1;
        const QString sheet =
            QString("QPushButton { background: %1; color: %2; border: 1px solid %3; %4"
                    " border-top-left-radius: %5px; border-bottom-left-radius: %5px;"
                    " border-top-right-radius: %6px; border-bottom-right-radius: %6px;"
                    " padding: 3px 12px; }")
                .arg(b->isChecked() ? "#007aff" : plain, b->isChecked() ? "white" : text, border,
                     first ? "" : "border-left: none;")
                .arg(first ? 6 : 0)
                .arg(last ? 6 : 0);
        // Parsed and polished again on every call, even for the same sheet.
        if (sheet != b->styleSheet()) b->setStyleSheet(sheet);
    }
}

void SegmentedControl::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) applyStyle();
}

std::string SegmentedControl::label(int segment) const {
    if (segment < 0 || segment >= segmentCount()) return {};
    return labels_[size_t(segment)];
}

int SegmentedControl::selectedSegment() const {
    return group_->checkedId();
}

void SegmentedControl::setSelectedSegment(int segment) {
    if (auto* b = group_->button(segment)) b->setChecked(true);
}

void SegmentedControl::performClick(int segment) {
    if (!isEnabled()) return;
    if (auto* b = group_->button(segment)) b->click();
}

} // namespace appkit
