#pragma once
// System colours in the manner of NSColor: each resolves against the appearance it is drawn in.

#include <QColor>

class QWidget;

namespace appkit {

enum class SystemColor {
    label,
    text,
    controlText,
    secondaryLabel,
    tertiaryLabel,
    separator,
    controlAccent,
    systemBlue,
    systemRed,
    systemOrange,
    systemGreen,
    white,
    black,
    clear
};

struct DynamicColor {
    SystemColor base = SystemColor::label;
    double alpha = 1.0; // multiplies the colour's own alpha
    bool operator==(const DynamicColor&) const = default;

    DynamicColor withAlphaComponent(double a) const { return {base, a}; }
    QColor resolve(bool dark) const;
    // Resolved in the appearance of the window the widget is in.
    QColor resolve(const QWidget& in) const;
};

// A text colour that follows the appearance of the window the label is in: applied now, and
// again by the window whenever its appearance changes.
void setTextColor(QWidget& label, DynamicColor color);
void applyTextColors(QWidget& root);

inline DynamicColor color(SystemColor base) {
    return {base, 1.0};
}

// Whether the widget is drawn in a dark appearance.
bool drawsDark(const QWidget& widget);

} // namespace appkit
