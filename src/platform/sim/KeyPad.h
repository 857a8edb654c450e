#pragma once
// The simulator's way to press any key combination: host window managers keep some for
// themselves, so a person types the combination ("⌃⌥⌘1", "cmd+shift+k") or picks the modifiers
// and a key, and sends it to another application or to the program. It also lists who holds
// which combination.

#include <QWidget>

#include <optional>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace sim {

class VirtualMac;

struct KeyCombination {
    uint16_t code = 0;
    uint32_t modifiers = 0; // Carbon mask
};

// "⌃⌥⌘1", "ctrl+opt+cmd+1", "⇧⌘K", "F5", "space", "code 10": the key and its modifiers.
std::optional<KeyCombination> parseKeyCombination(const std::string& text);
// "⌃⌥⌘1" for a combination, with the US layout's names.
std::string keyCombinationText(uint16_t code, uint32_t modifiers);

class KeyPad : public QWidget {
  public:
    KeyPad(VirtualMac& mac, QWidget* parent = nullptr);
    // Re-reads who holds which combination.
    void refresh();

  private:
    void send(bool toOtherApplication);

    VirtualMac& mac_;
    QPushButton* modifierButtons_[4];
    QLineEdit* keyField_;
    QLabel* held_;
    QLabel* feedback_;
};

} // namespace sim
