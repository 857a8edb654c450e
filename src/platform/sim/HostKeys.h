#pragma once
// The host's keyboard as a Mac's: the key code of a host key and the modifiers it holds.

#include "platform/Events.h"

#include <QKeyEvent>

#include <optional>

namespace sim {

// Control, Alt as Option, Shift, the Super key as Command.
platform::ModifierFlags macModifiers(Qt::KeyboardModifiers modifiers);
// The Mac key code of a host key, through the key's name or its US character; none for a key a
// Mac keyboard has no place for (a modifier alone included).
std::optional<uint16_t> macKeyCode(const QKeyEvent& key);

} // namespace sim
