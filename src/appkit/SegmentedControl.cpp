#include "appkit/SegmentedControl.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QPushButton>

namespace appkit {

SegmentedControl::SegmentedControl(const std::vector<std::string>& labels, QWidget* parent)
    : QWidget(parent), labels_(labels), group_(new QButtonGroup(this)) {
    group_->setExclusive(true);
    setStyleSheet("QPushButton { padding: 3px 10px; border: 1px solid palette(mid);"
                  " background: palette(button); }"
                  "QPushButton:checked { background: #007aff; color: white; border-color: #007aff; }");
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
    connect(group_, &QButtonGroup::idClicked, this, [this](int) {
        if (action_) action_(*this);
    });
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
