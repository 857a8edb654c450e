#include "ui/StyledPopUpButton.h"

#include "appkit/Colors.h"

#include <QComboBox>
#include <QEvent>

namespace ui {

namespace {
constexpr int kFallbackPointSize = 12;
}

StyledPopUpButton::StyledPopUpButton(QWidget* parent) : appkit::PopUpButton(parent) {
    restyle();
}

void StyledPopUpButton::resizeEvent(QResizeEvent* event) {
    appkit::PopUpButton::resizeEvent(event);
    restyle();
}

void StyledPopUpButton::changeEvent(QEvent* event) {
    appkit::PopUpButton::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) restyle();
}

void StyledPopUpButton::restyle() {
    const bool dark = appkit::drawsDark(*this);
    hasBezel_ = !dark;
    const QColor text = appkit::color(appkit::SystemColor::label).resolve(dark);
    QFont font = comboBox()->font();
    if (font.pointSizeF() <= 0) font.setPointSize(kFallbackPointSize);
    comboBox()->setFont(font);
    // The recessed bezel: a light grey plate in the light appearance, nothing in the dark one.
    const QString plate = dark ? "transparent" : QColor::fromRgbF(0.88, 0.88, 0.88).name();
    const QString sheet =
        QString("QComboBox { background: %1; color: %2; border: 1px solid %3;"
                " border-radius: 5px; padding: 2px 8px; }"
                "QComboBox QAbstractItemView { color: %2; }")
            .arg(plate, text.name(),
                 dark ? QString("rgba(255,255,255,40)") : QString("rgba(0,0,0,30)"));
    if (comboBox()->styleSheet() != sheet) comboBox()->setStyleSheet(sheet);
}

} // namespace ui
