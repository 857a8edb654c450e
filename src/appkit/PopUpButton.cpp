#include "appkit/PopUpButton.h"
#include "appkit/WheelScrolls.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QStandardItemModel>

namespace appkit {

PopUpButton::PopUpButton(QWidget* parent) : QWidget(parent), box_(new QComboBox(this)) {
    wheelScrollsOnly(box_);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(box_);
    // activated comes from the user only.
    connect(box_, &QComboBox::activated, this, [this](int) {
        if (!syncing_ && action_) action_(*this);
    });
}

void PopUpButton::addItem(const std::string& title) {
    syncing_ = true;
    box_->addItem(QString::fromStdString(title));
    syncing_ = false;
}

void PopUpButton::removeAllItems() {
    syncing_ = true;
    box_->clear();
    syncing_ = false;
}

int PopUpButton::numberOfItems() const {
    return box_->count();
}

std::vector<std::string> PopUpButton::itemTitles() const {
    std::vector<std::string> out;
    for (int i = 0; i < box_->count(); ++i)
        out.push_back(box_->itemText(i).toStdString());
    return out;
}

int PopUpButton::indexOfSelectedItem() const {
    return box_->currentIndex();
}

std::string PopUpButton::titleOfSelectedItem() const {
    return box_->currentText().toStdString();
}

void PopUpButton::selectItem(int index) {
    if (index < 0 || index >= box_->count()) return;
    syncing_ = true;
    box_->setCurrentIndex(index);
    syncing_ = false;
}

void PopUpButton::setItemEnabled(int index, bool enabled) {
    if (auto* model = qobject_cast<QStandardItemModel*>(box_->model()))
        if (auto* item = model->item(index)) item->setEnabled(enabled);
}

void PopUpButton::performSelect(int index) {
    if (!isEnabled() || index < 0 || index >= box_->count()) return;
    if (auto* model = qobject_cast<QStandardItemModel*>(box_->model()))
        if (auto* item = model->item(index); item && !item->isEnabled()) return;
    selectItem(index);
    if (action_) action_(*this);
}

} // namespace appkit
