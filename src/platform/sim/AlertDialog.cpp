#include "platform/sim/AlertDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace sim {

namespace {

bool koreanText(const QString& text) {
    for (auto c : text)
        if (c.unicode() >= 0xAC00 && c.unicode() <= 0xD7A3) return true;
    return false;
}

} // namespace

AlertDialog::AlertDialog(const platform::AlertRequest& request) {
    setIcon(request.style == platform::AlertStyle::informational ? QMessageBox::Information
                                                                 : QMessageBox::Warning);
    setText(QString::fromStdString(request.messageText));
    setInformativeText(QString::fromStdString(request.informativeText));
    const auto titles = request.buttons.empty() ? std::vector<std::string>{"OK"} : request.buttons;
    for (const auto& title : titles)
        buttons_.push_back(addButton(QString::fromStdString(title), QMessageBox::AcceptRole));
    setDefaultButton(static_cast<QPushButton*>(buttons_.front()));
    // The accessory view goes under the text, as on the Mac.
    if (const auto& a = request.accessory) {
        auto* accessory = new QWidget;
        auto* column = new QVBoxLayout(accessory);
        column->setContentsMargins(0, 0, 0, 0);
        if (!a->popUpItems.empty()) {
            popUp_ = new QComboBox;
            for (const auto& item : a->popUpItems)
                popUp_->addItem(QString::fromStdString(item));
            popUp_->setCurrentIndex(a->selectedItem);
            column->addWidget(popUp_);
        }
        if (!a->checkboxTitle.empty()) {
            checkbox_ = new QCheckBox(QString::fromStdString(a->checkboxTitle));
            checkbox_->setChecked(a->checkboxOn);
            column->addWidget(checkbox_);
        }
        if (auto* grid = qobject_cast<QGridLayout*>(layout()))
            grid->addWidget(accessory, grid->rowCount(), 1);
    }
}

std::optional<int> AlertDialog::answer() const {
    for (size_t i = 0; i < buttons_.size(); ++i)
        if (clickedButton() == buttons_[i]) return int(i);
    return std::nullopt;
}

void AlertDialog::writeBack(platform::AlertRequest& request) const {
    if (popUp_) request.accessory->selectedItem = popUp_->currentIndex();
    if (checkbox_) request.accessory->checkboxOn = checkbox_->isChecked();
}

AdministratorPrompt::AdministratorPrompt(const std::string& message) {
    setIcon(QMessageBox::Warning);
    const QString text = QString::fromStdString(message);
    const bool korean = koreanText(text);
    setText(text);
    setInformativeText(korean ? "가상 Mac이 macOS처럼 묻습니다. 여기서는 암호가 필요 없습니다."
                              : "The virtual Mac asks as macOS would; no password is needed "
                                "here.");
    allow_ = addButton(korean ? "허용" : "Allow", QMessageBox::AcceptRole);
    cancel_ = addButton(korean ? "취소" : "Cancel", QMessageBox::RejectRole);
    setDefaultButton(static_cast<QPushButton*>(allow_));
}

} // namespace sim
