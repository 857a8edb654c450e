#include "hotkeys/HotkeyButton.h"

#include "app/BlackoutController.h"
#include "appkit/LayerView.h"

#include <QAbstractButton>
#include <QEvent>
#include <QFontMetricsF>

#include <cmath>

namespace hotkeys {

namespace {

QString rgba(const QColor& c) {
    return QString("rgba(%1,%2,%3,%4)").arg(c.red()).arg(c.green()).arg(c.blue()).arg(c.alphaF());
}

QColor resolved(const QWidget& w, appkit::DynamicColor c) {
    return c.resolve(w);
}

QColor over(const QColor& top, const QColor& below) {
    const float a = top.alphaF();
    return QColor::fromRgbF(top.redF() * a + below.redF() * (1 - a),
                            top.greenF() * a + below.greenF() * (1 - a),
                            top.blueF() * a + below.blueF() * (1 - a));
}

// Sizes are the Mac's points: one point is one pixel here.
QFont defaultTitleFont() {
    QFont font;
    font.setPixelSize(11);
    font.setBold(true);
    return font;
}

} // namespace

HotkeyButton::HotkeyButton(QWidget* parent) : appkit::Button(appkit::ButtonType::push, "", parent) {
    setBordered(false);
    control()->installEventFilter(this);
    control()->setCursor(Qt::PointingHandCursor);
    redraw();
}

void HotkeyButton::setTextColor(appkit::DynamicColor color) {
    textColor_ = color;
    redraw();
}

void HotkeyButton::setTitle(const std::string& title) {
    actualTitle_ = title;
    redraw();
}

void HotkeyButton::setActive(bool active) {
    isActive_ = active;
    redraw();
}

void HotkeyButton::setHovered(bool hovered) {
    isHovered_ = hovered;
    redraw();
}

void HotkeyButton::setRecordingMode(bool recording) {
    isRecordingMode_ = recording;
    redraw();
}

void HotkeyButton::setTitleFont(const QFont& font) {
    font_ = font;
    redraw();
}

std::string HotkeyButton::shownTitle() const {
    if (isHovered_ && !isRecordingMode_) return t("변경하기", "Edit");
    return actualTitle_;
}

QColor HotkeyButton::fillColor() const {
    if (isActive_)
        return resolved(*this, appkit::color(appkit::SystemColor::controlAccent)
                                   .withAlphaComponent(isHovered_ ? 0.15 : 0.08));
    return resolved(*this, textColor_.withAlphaComponent(isHovered_ ? 0.08 : 0.04));
}

QColor HotkeyButton::borderColor() const {
    if (isActive_)
        return resolved(*this, appkit::color(appkit::SystemColor::controlAccent)
                                   .withAlphaComponent(isHovered_ ? 0.35 : 0.2));
    return resolved(*this, textColor_.withAlphaComponent(isHovered_ ? 0.2 : 0.08));
}

QColor HotkeyButton::titleColor() const {
    return resolved(*this, textColor_);
}

QSize HotkeyButton::intrinsicContentSize() const {
    const QFont font = font_.value_or(defaultTitleFont());
    const double width =
        QFontMetricsF(font).horizontalAdvance(QString::fromStdString(shownTitle()));
    return QSize(int(std::ceil(width)) + 12, 18);
}

void HotkeyButton::redraw() {
    control()->setFont(font_.value_or(defaultTitleFont()));
    control()->setText(QString::fromStdString(shownTitle()));
    // The pill sits over the display icon: its fill is laid over the tile so the icon's lines
    // do not run through the text.
    QColor below = palette().color(QPalette::Window);
    if (auto* tile = dynamic_cast<appkit::LayerView*>(parentWidget()))
        below = over(tile->layerBackgroundColor().resolve(*this), below);
    const QString sheet =
        QString("QPushButton { background: %1; color: %2; border: 1px solid %3;"
                " border-radius: 5px; padding: 0; }")
            .arg(rgba(over(fillColor(), below)), rgba(titleColor()), rgba(borderColor()));
    // Setting a style sheet parses it and polishes the button again, even the same one.
    if (sheet != control()->styleSheet()) control()->setStyleSheet(sheet);
    // It sits in the middle of its tile whatever its text.
    const QSize size = intrinsicContentSize();
    setFixedSize(size);
    control()->setFixedSize(size);
    if (auto* tile = parentWidget())
        move((tile->width() - size.width()) / 2, (tile->height() - size.height()) / 2);
}

bool HotkeyButton::eventFilter(QObject* watched, QEvent* event) {
    if (watched == control()) {
        if (event->type() == QEvent::Enter) setHovered(true);
        if (event->type() == QEvent::Leave) setHovered(false);
    }
    return appkit::Button::eventFilter(watched, event);
}

void HotkeyButton::changeEvent(QEvent* event) {
    appkit::Button::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) redraw();
}

} // namespace hotkeys
