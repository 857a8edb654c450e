#include "platform/sim/HostKeys.h"

#include "platform/sim/KeyPad.h"

#include <QKeySequence>

namespace sim {

platform::ModifierFlags macModifiers(Qt::KeyboardModifiers m) {
    platform::ModifierFlags f;
    f.control = m & Qt::ControlModifier;
    f.option = m & Qt::AltModifier;
    f.command = m & Qt::MetaModifier;
    f.shift = m & Qt::ShiftModifier;
    return f;
}

std::optional<uint16_t> macKeyCode(const QKeyEvent& key) {
    const QString name = QKeySequence(key.key()).toString().toLower();
    if (auto combination = parseKeyCombination(name.toStdString())) return combination->code;
    return std::nullopt;
}
} // namespace sim
