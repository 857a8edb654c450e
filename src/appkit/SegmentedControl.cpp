#include "appkit/SegmentedControl.h"

#include <QButtonGroup>
#include <QEvent>
#include <QHBoxLayout>
#include <QPushButton>

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

// The selected segment in the accent colour; the others inherit the window's palette.
void SegmentedControl::applyStyle() {
    for (auto* b : group_->buttons()) {
        if (b->isChecked()) {
            QPalette accent;
            accent.setColor(QPalette::Button, QColor(0x00, 0x7a, 0xff));
            accent.setColor(QPalette::ButtonText, Qt::white);
            b->setPalette(accent);
        } else {
            b->setPalette(QPalette());
        }
    }
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
