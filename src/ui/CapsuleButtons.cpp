#include "ui/CapsuleButtons.h"

#include "appkit/Colors.h"

#include <QAbstractButton>
#include <QEvent>
#include <QMouseEvent>

namespace ui {

namespace {

QString rgba(const QColor& c) {
    return QString("rgba(%1,%2,%3,%4)").arg(c.red()).arg(c.green()).arg(c.blue()).arg(c.alphaF());
}

} // namespace

TrackingButton::TrackingButton(const std::string& title, QWidget* parent)
    : appkit::Button(appkit::ButtonType::push, title, parent) {
    control()->installEventFilter(this);
    control()->setCursor(Qt::PointingHandCursor);
    setBordered(false);
}

bool TrackingButton::eventFilter(QObject* watched, QEvent* event) {
    if (watched == control()) {
        switch (event->type()) {
        case QEvent::Enter:
            isHovered_ = true;
            break;
        case QEvent::Leave:
            isHovered_ = false;
            break;
        case QEvent::MouseButtonPress:
            isPressed_ = true;
            break;
        case QEvent::MouseButtonRelease: {
            isPressed_ = false;
            auto* mouse = static_cast<QMouseEvent*>(event);
            isHovered_ = control()->rect().contains(mouse->position().toPoint());
            break;
        }
        default:
            return appkit::Button::eventFilter(watched, event);
        }
        restyle();
    }
    return appkit::Button::eventFilter(watched, event);
}

void TrackingButton::changeEvent(QEvent* event) {
    appkit::Button::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) restyle();
}

CustomCapsuleButton::CustomCapsuleButton(const std::string& title, QWidget* parent)
    : TrackingButton(title, parent) {
    QFont font = control()->font();
    font.setPointSize(13);
    font.setWeight(QFont::DemiBold);
    control()->setFont(font);
    restyle();
}

QColor CustomCapsuleButton::currentBackground() const {
    return isPressed() ? activeBgColor_ : isHovered() ? hoverBgColor_ : normalBgColor_;
}

void CustomCapsuleButton::restyle() {
    control()->setStyleSheet(QString("QPushButton { background: %1; color: %2; border: none;"
                                     " border-radius: %3px; padding: 4px 14px; }")
                                 .arg(rgba(currentBackground()), rgba(tint_))
                                 .arg(cornerRadius_));
}

CircularCloseButton::CircularCloseButton(QWidget* parent) : TrackingButton("✕", parent) {
    setAccessibilityLabel("Close");
    control()->setAccessibleName("Close");
    QFont font = control()->font();
    font.setPointSize(9);
    font.setBold(true);
    control()->setFont(font);
    restyle();
}

QColor CircularCloseButton::currentBackground() const {
    const QColor red =
        appkit::color(appkit::SystemColor::systemRed).resolve(appkit::drawsDark(*this));
    if (isPressed()) return QColor::fromRgbF(red.redF(), red.greenF(), red.blueF(), 0.6);
    if (isHovered()) return QColor::fromRgbF(red.redF(), red.greenF(), red.blueF(), 0.85);
    return appkit::color(appkit::SystemColor::label).withAlphaComponent(0.08).resolve(*this);
}

QColor CircularCloseButton::currentGlyph() const {
    if (isPressed()) return QColor::fromRgbF(1, 1, 1, 0.9);
    if (isHovered()) return Qt::white;
    return appkit::color(appkit::SystemColor::label).withAlphaComponent(0.4).resolve(*this);
}

void CircularCloseButton::restyle() {
    // A circle: the radius is half the width.
    control()->setStyleSheet(QString("QPushButton { background: %1; color: %2; border: none;"
                                     " border-radius: %3px; padding: 0; }")
                                 .arg(rgba(currentBackground()), rgba(currentGlyph()))
                                 .arg(width() / 2));
}

void CircularCloseButton::resizeEvent(QResizeEvent* event) {
    TrackingButton::resizeEvent(event);
    restyle();
}

} // namespace ui
