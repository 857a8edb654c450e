#include "platform/sim/KeyPad.h"

#include "platform/Hotkeys.h"
#include "platform/sim/SimHotkeys.h"
#include "platform/sim/SimInput.h"
#include "platform/sim/VirtualMac.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <map>

namespace sim {

namespace {

struct ModifierKey {
    const char* symbol;
    uint32_t mask;
    const char* words[3];
};

const ModifierKey kModifiers[] = {
    {"⌃", platform::controlKey, {"ctrl", "control", "^"}},
    {"⌥", platform::optionKey, {"opt", "option", "alt"}},
    {"⇧", platform::shiftKey, {"shift", "shft", "s"}},
    {"⌘", platform::cmdKey, {"cmd", "command", "super"}},
};

const std::map<std::string, uint16_t>& namedKeys() {
    static const std::map<std::string, uint16_t> keys = {
        {"f1", 122},   {"f2", 120},    {"f3", 99},     {"f4", 118},    {"f5", 96},   {"f6", 97},
        {"f7", 98},    {"f8", 100},    {"f9", 101},    {"f10", 109},   {"f11", 103}, {"f12", 111},
        {"space", 49}, {"esc", 53},    {"escape", 53}, {"return", 36}, {"tab", 48},  {"delete", 51},
        {"left", 123}, {"right", 124}, {"down", 125},  {"up", 126}};
    return keys;
}

std::string lower(std::string s) {
    for (auto& c : s)
        c = char(std::tolower(uint8_t(c)));
    return s;
}

} // namespace

std::optional<KeyCombination> parseKeyCombination(const std::string& input) {
    KeyCombination out;
    std::string rest = input;
    while (!rest.empty() && rest.front() == ' ')
        rest.erase(0, 1);
    while (!rest.empty() && rest.back() == ' ')
        rest.pop_back();
    // Modifiers first, as symbols or as words followed by "+".
    for (bool found = true; found && !rest.empty();) {
        found = false;
        for (const auto& m : kModifiers) {
            if (rest.rfind(m.symbol, 0) == 0) {
                out.modifiers |= m.mask;
                rest.erase(0, std::string(m.symbol).size());
                found = true;
            }
            for (const char* word : m.words) {
                const std::string prefix = std::string(word) + "+";
                if (rest.size() > prefix.size() && lower(rest.substr(0, prefix.size())) == prefix) {
                    out.modifiers |= m.mask;
                    rest.erase(0, prefix.size());
                    found = true;
                }
            }
        }
    }
    if (rest.empty()) return std::nullopt;
    const std::string key = lower(rest);
    if (key.rfind("code ", 0) == 0) {
        const std::string digits = key.substr(5);
        if (digits.empty() || digits.size() > 5 ||
            digits.find_first_not_of("0123456789") != std::string::npos)
            return std::nullopt;
        const unsigned long code = std::stoul(digits);
        if (code > 0xFFFF) return std::nullopt;
        out.code = uint16_t(code);
        return out;
    }
    if (auto named = namedKeys().find(key); named != namedKeys().end()) {
        out.code = named->second;
        return out;
    }
    if (auto code = usKeyCode(key)) {
        out.code = *code;
        return out;
    }
    return std::nullopt;
}

std::string keyCombinationText(uint16_t code, uint32_t modifiers) {
    std::string text;
    for (const auto& m : kModifiers)
        if (modifiers & m.mask) text += m.symbol;
    for (const auto& [name, named] : namedKeys())
        if (named == code) return text + name;
    const auto* us = knownKeyboardLayout("US");
    if (auto key = us->find(code); key != us->end() && uint8_t(key->second.text[0]) > 0x20)
        return text + QString::fromStdString(key->second.text).toUpper().toStdString();
    return text + "code " + std::to_string(code);
}

KeyPad::KeyPad(VirtualMac& mac, QWidget* parent)
    : QWidget(parent), mac_(mac), keyField_(new QLineEdit(this)), held_(new QLabel(this)),
      feedback_(new QLabel(this)) {
    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(new QLabel("Keys:"));
    for (int i = 0; i < 4; ++i) {
        modifierButtons_[i] = new QPushButton(kModifiers[i].symbol, this);
        modifierButtons_[i]->setCheckable(true);
        modifierButtons_[i]->setFixedWidth(30);
        row->addWidget(modifierButtons_[i]);
        // Holding a modifier is a flags-changed event for the program.
        connect(modifierButtons_[i], &QPushButton::toggled, this, [this] {
            uint32_t mask = 0;
            for (int j = 0; j < 4; ++j)
                if (modifierButtons_[j]->isChecked()) mask |= kModifiers[j].mask;
            mac_.input().changeFlags(platform::modifierFlags(mask));
        });
    }
    keyField_->setPlaceholderText("⌃⌥⌘1, cmd+shift+k, F5, code 10");
    keyField_->setFixedWidth(190);
    row->addWidget(keyField_);
    auto* other = new QPushButton("Press in other app");
    other->setToolTip("The combination pressed while another application is in front");
    auto* own = new QPushButton("Press in Nightlid");
    own->setToolTip("The combination pressed while Nightlid is in front");
    row->addWidget(other);
    row->addWidget(own);
    row->addWidget(feedback_, 1);
    connect(other, &QPushButton::clicked, this, [this] { send(true); });
    connect(own, &QPushButton::clicked, this, [this] { send(false); });
    connect(keyField_, &QLineEdit::returnPressed, this, [this] { send(true); });

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    column->addLayout(row);
    held_->setWordWrap(true);
    held_->setStyleSheet("color:#555; font-size:11px");
    column->addWidget(held_);
    refresh();
}

void KeyPad::send(bool toOtherApplication) {
    auto combination = parseKeyCombination(keyField_->text().toStdString());
    if (!combination) {
        feedback_->setText("<span style='color:#b00'>not a key: try ⌃⌥⌘1 or cmd+shift+k</span>");
        return;
    }
    for (int i = 0; i < 4; ++i)
        if (modifierButtons_[i]->isChecked()) combination->modifiers |= kModifiers[i].mask;
    const auto flags = platform::modifierFlags(combination->modifiers);
    if (toOtherApplication)
        mac_.input().pressKeyInOtherApplication(combination->code, flags);
    else
        mac_.input().pressKeyInApplication(combination->code, flags);
    feedback_->setText(QString::fromStdString(
        "pressed " + keyCombinationText(combination->code, combination->modifiers)));
}

void KeyPad::refresh() {
    QStringList held;
    for (const auto& r : mac_.hotkeys().registrations()) {
        std::string who = r.owner;
        if (r.owner == SimHotkeys::ownApplication)
            who += " (display " + std::to_string(r.id.id) + ")";
        held << QString::fromStdString(keyCombinationText(r.code, r.modifiers) + " → " + who);
    }
    const std::string layout =
        mac_.hotkeys().layoutName().empty() ? "no layout data" : mac_.hotkeys().layoutName();
    held_->setText(QString("Layout: %1 · Held: %2")
                       .arg(QString::fromStdString(layout),
                            held.isEmpty() ? QString("none") : held.join(" · ")));
}

} // namespace sim
