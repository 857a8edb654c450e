#pragma once
// A pop-up button in the manner of NSPopUpButton: a list of item titles, one selected; the user
// choosing an item sends the action, selecting in code sends nothing.

#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class QComboBox;

namespace appkit {

class PopUpButton : public QWidget {
  public:
    using Action = std::function<void(PopUpButton&)>;

    explicit PopUpButton(QWidget* parent = nullptr);

    void addItem(const std::string& title);
    void removeAllItems();
    int numberOfItems() const;
    std::vector<std::string> itemTitles() const;
    // -1 when nothing is selected.
    int indexOfSelectedItem() const;
    std::string titleOfSelectedItem() const;
    void selectItem(int index);
    void setItemEnabled(int index, bool enabled);
    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }
    void setAction(Action action) { action_ = std::move(action); }

    // The user choosing an item; nothing when disabled or out of range.
    void performSelect(int index);

  protected:
    QComboBox* comboBox() const { return box_; }

  private:
    QComboBox* box_;
    int tag_ = 0;
    bool syncing_ = false;
    Action action_;
};

} // namespace appkit
