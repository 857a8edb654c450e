#pragma once
// The host's keyboard as a Mac's: the key code of a host key and the modifiers it holds, the
// host key of a Mac key code, and the keys typed into the program's windows passed to its
// local event monitors.

#include "platform/Events.h"

#include <QKeyEvent>
#include <QObject>

#include <optional>

namespace sim {

class VirtualMac;

// Marks the simulator's own windows: keys typed there are not the Mac's.
inline constexpr const char* kSimulatorChrome = "nightlidSimulatorChrome";

// Control, Alt as Option, Shift, the Super key as Command.
platform::ModifierFlags macModifiers(Qt::KeyboardModifiers modifiers);
Qt::KeyboardModifiers hostModifiers(platform::ModifierFlags modifiers);
// The Mac key code of a host key, through the key's name or its US character; none for a key a
// Mac keyboard has no place for (a modifier alone included).
std::optional<uint16_t> macKeyCode(const QKeyEvent& key);

// The host key that sends a Mac key code, and the text it types with those modifiers.
struct HostKey {
    int key = 0;
    QString text;
};
std::optional<HostKey> hostKey(uint16_t macKeyCode, platform::ModifierFlags modifiers);

// Keys and modifier changes typed into the program's windows reach its local monitors first, as
// on the Mac; Escape, the key the program watches for, is the monitors' alone.
class ProgramKeys : public QObject {
  public:
    explicit ProgramKeys(VirtualMac& mac);
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    VirtualMac& mac_;
};

} // namespace sim
