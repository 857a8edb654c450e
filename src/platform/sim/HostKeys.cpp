#include "platform/sim/HostKeys.h"

#include "platform/sim/KeyPad.h"
#include "platform/sim/SimHotkeys.h"
#include "platform/sim/SimInput.h"
#include "platform/sim/VirtualMac.h"

#include <QApplication>
#include <QKeySequence>
#include <QWidget>

namespace sim {

platform::ModifierFlags macModifiers(Qt::KeyboardModifiers m) {
    platform::ModifierFlags f;
    f.control = m & Qt::ControlModifier;
    f.option = m & Qt::AltModifier;
    f.command = m & Qt::MetaModifier;
    f.shift = m & Qt::ShiftModifier;
    return f;
}

Qt::KeyboardModifiers hostModifiers(platform::ModifierFlags f) {
    Qt::KeyboardModifiers m;
    if (f.control) m |= Qt::ControlModifier;
    if (f.option) m |= Qt::AltModifier;
    if (f.command) m |= Qt::MetaModifier;
    if (f.shift) m |= Qt::ShiftModifier;
    return m;
}

std::optional<uint16_t> macKeyCode(const QKeyEvent& key) {
    const QString name = QKeySequence(key.key()).toString().toLower();
    if (auto combination = parseKeyCombination(name.toStdString())) return combination->code;
    return std::nullopt;
}

std::optional<HostKey> hostKey(uint16_t code, platform::ModifierFlags modifiers) {
    struct Named {
        uint16_t code;
        int key;
        const char* text;
    };
    static const Named kNamed[] = {
        {36, Qt::Key_Return, "\r"},    {48, Qt::Key_Tab, "\t"},      {49, Qt::Key_Space, " "},
        {51, Qt::Key_Backspace, "\b"}, {53, Qt::Key_Escape, "\x1b"}, {76, Qt::Key_Enter, "\r"},
        {117, Qt::Key_Delete, ""},     {123, Qt::Key_Left, ""},      {124, Qt::Key_Right, ""},
        {125, Qt::Key_Down, ""},       {126, Qt::Key_Up, ""},        {122, Qt::Key_F1, ""},
        {120, Qt::Key_F2, ""},         {99, Qt::Key_F3, ""},         {118, Qt::Key_F4, ""},
        {96, Qt::Key_F5, ""},          {97, Qt::Key_F6, ""},         {98, Qt::Key_F7, ""},
        {100, Qt::Key_F8, ""},         {101, Qt::Key_F9, ""},        {109, Qt::Key_F10, ""},
        {103, Qt::Key_F11, ""},        {111, Qt::Key_F12, ""}};
    for (const auto& n : kNamed)
        if (n.code == code) return HostKey{n.key, QString::fromLatin1(n.text)};
    const auto* us = knownKeyboardLayout("US");
    auto found = us ? us->find(code) : decltype(us->end()){};
    if (!us || found == us->end() || found->second.text.empty()) return std::nullopt;
    const QString typed = QString::fromStdString(found->second.text);
    HostKey key{typed.toUpper().at(0).unicode(), typed};
    if (modifiers.shift) key.text = typed.toUpper();
    // Held Control or Command type no character.
    if (modifiers.control || modifiers.command) key.text.clear();
    return key;
}

ProgramKeys::ProgramKeys(VirtualMac& mac) : mac_(mac) {}

namespace {

Qt::KeyboardModifier modifierOfKey(int key) {
    switch (key) {
    case Qt::Key_Control:
        return Qt::ControlModifier;
    case Qt::Key_Alt:
        return Qt::AltModifier;
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
        return Qt::MetaModifier;
    case Qt::Key_Shift:
        return Qt::ShiftModifier;
    default:
        return Qt::NoModifier;
    }
}

} // namespace

bool ProgramKeys::eventFilter(QObject* watched, QEvent* event) {
    const bool press = event->type() == QEvent::KeyPress;
    if (!press && event->type() != QEvent::KeyRelease) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    auto* widget = qobject_cast<QWidget*>(watched);
    // Only keys typed into the program's own windows, once per key: Qt offers each event to
    // every widget on its way from the window's focused widget up.
    QWidget* focus = widget ? widget->window()->focusWidget() : nullptr;
    QWidget* first = focus ? focus : (widget ? widget->window() : nullptr);
    if (!widget || widget != first || widget->window()->property(kSimulatorChrome).toBool() ||
        widget->window()->inherits("QMenu") || key->isAutoRepeat())
        return false;
    // Escape is the key the program watches for; in the simulator window the canvas handles it.
    if (press && key->key() == Qt::Key_Escape) {
        constexpr uint16_t kEscape = 53;
        mac_.input().pressKeyInApplication(kEscape);
        return true;
    }
    // The program's local monitors see every key and modifier change, as on the Mac.
    if (auto modifier = modifierOfKey(key->key()); modifier != Qt::NoModifier) {
        auto held = key->modifiers();
        held = press ? held | modifier : held & ~modifier;
        mac_.input().changeFlags(macModifiers(held));
    } else if (press) {
        if (auto code = macKeyCode(*key))
            mac_.input().pressKeyInApplication(*code, macModifiers(key->modifiers()));
    }
    return false;
}

} // namespace sim
