#pragma once
// The virtual Mac's alerts and its administrator prompt as dialogs a person answers: the
// interactive simulator runs them modally, the script driver shows them and works them with
// the same mouse and keys.

#include "platform/Alerts.h"

#include <QMessageBox>

#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;

namespace sim {

class AlertDialog : public QMessageBox {
  public:
    // Its text, its buttons in order (the first is the default, as Return presses it) and the
    // accessory's pop-up and checkbox under the text.
    explicit AlertDialog(const platform::AlertRequest& request);
    const std::vector<QAbstractButton*>& buttons() const { return buttons_; }
    QComboBox* popUp() const { return popUp_; }
    QCheckBox* checkbox() const { return checkbox_; }
    // The button that answered it, once one has.
    std::optional<int> answer() const;
    // The accessory as the person left it.
    void writeBack(platform::AlertRequest& request) const;

  private:
    std::vector<QAbstractButton*> buttons_;
    QComboBox* popUp_ = nullptr;
    QCheckBox* checkbox_ = nullptr;
};

// The system's password prompt for an administrator script: Allow or Cancel, in the language of
// the text it shows.
class AdministratorPrompt : public QMessageBox {
  public:
    explicit AdministratorPrompt(const std::string& message);
    QAbstractButton* allowButton() const { return allow_; }
    QAbstractButton* cancelButton() const { return cancel_; }
    bool answered() const { return clickedButton() != nullptr; }
    bool allowed() const { return clickedButton() == allow_; }

  private:
    QAbstractButton* allow_;
    QAbstractButton* cancel_;
};

} // namespace sim
