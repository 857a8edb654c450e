#include "app/BlackoutController.h"
#include "appkit/Button.h"
#include "appkit/Colors.h"
#include "appkit/ImageView.h"
#include "appkit/LayerView.h"
#include "hotkeys/HotkeyButton.h"
#include "platform/SymbolImages.h"
#include "ui/InteractiveImageView.h"

#include <QPainter>
#include <QPainterPath>

#include <map>

namespace {

constexpr double kScale = 2.0; // bitmaps are drawn at twice their point size
constexpr int kTileHeight = 125;

QImage blankBitmap(QSizeF points) {
    QImage image(int(points.width() * kScale), int(points.height() * kScale),
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    image.setDevicePixelRatio(kScale);
    return image;
}

// The tile's subviews in the order they were added.
template <typename T> T* firstSubview(QWidget* tile) {
    for (auto* child : tile->children())
        if (auto* view = dynamic_cast<T*>(child)) return view;
    return nullptr;
}

} // namespace

// The switch as it looks in one appearance.
static QImage drawToggleSwitch(bool isOff, bool dark) {
    using appkit::SystemColor;
    const QSizeF size(36, 20);
    QImage bitmap = blankBitmap(size);
    QPainter p(&bitmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor track =
        isOff ? appkit::color(SystemColor::separator).withAlphaComponent(0.8).resolve(dark)
              : appkit::color(SystemColor::systemBlue).resolve(dark);
    QPainterPath rounded;
    rounded.addRoundedRect(QRectF(QPointF(0, 0), size), 10, 10);
    p.fillPath(rounded, track);

    // Knob 16 x 16 at y 2 (from the bottom), with a soft shadow 1.5 points below it.
    const double knobX = isOff ? 2 : 18;
    const QRectF knob(knobX, size.height() - 2 - 16, 16, 16);
    p.setPen(Qt::NoPen);
    for (int ring = 4; ring >= 1; --ring) {
        const double spread = ring * 0.5; // blur radius 2
        p.setBrush(QColor(0, 0, 0, int(0.24 * 255 / 4)));
        p.drawEllipse(
            knob.translated(0, 1.5).adjusted(-spread / 2, -spread / 2, spread / 2, spread / 2));
    }
    p.setBrush(Qt::white);
    p.drawEllipse(knob);
    return bitmap;
}

appkit::Image BlackoutController::toggleSwitchImage(bool isOff) {
    // Every tile update asks again; its four looks are drawn once (each antialiased knob is a
    // fill Qt splits across its thread pool).
    static std::map<std::pair<bool, bool>, QImage> drawn;
    const auto look = [](bool off, bool dark) {
        auto it = drawn.find({off, dark});
        if (it == drawn.end())
            it = drawn.emplace(std::pair{off, dark}, drawToggleSwitch(off, dark)).first;
        return it->second;
    };
    return appkit::Image{QSizeF(36, 20), look(isOff, false), false, {}, look(isOff, true)};
}

std::optional<appkit::Image> BlackoutController::powerIconImage(const ControlledDisplay& display) {
    const std::string symbol = display.isBuiltIn ? "laptopcomputer" : "display";
    const QSizeF size(144, 82);
    // Every tile redraw asks again; the two icons are drawn once.
    static std::map<std::string, QImage> composed;
    if (auto it = composed.find(symbol); it != composed.end())
        return appkit::Image{size, it->second, true, display.name, {}};
    // Point size 70 at regular weight.
    auto drawn = platform::systemSymbolImage(symbol, 70, Qt::black);
    if (!drawn) return std::nullopt;
    QImage bitmap = blankBitmap(size);
    QPainter p(&bitmap);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QSizeF symbolSize(drawn->width() / drawn->devicePixelRatio(),
                            drawn->height() / drawn->devicePixelRatio());
    p.drawImage(QRectF(QPointF((size.width() - symbolSize.width()) / 2,
                               (size.height() - symbolSize.height()) / 2),
                       symbolSize),
                *drawn);
    p.end();
    composed.emplace(symbol, bitmap);
    return appkit::Image{size, bitmap, true, display.name, {}};
}

void BlackoutController::updatePowerButton(const ControlledDisplay& display, bool isOff) {
    using appkit::SystemColor;
    auto button = powerButtons.find(display.id);
    auto container = powerContainers.find(display.id);
    if (button == powerButtons.end() || container == powerContainers.end() || !button->second ||
        !container->second)
        return;
    auto* toggle = button->second.data();
    auto* tile = container->second.data();

    toggle->setImage(toggleSwitchImage(isOff));
    const appkit::DynamicColor tint =
        isOff ? appkit::color(SystemColor::label).withAlphaComponent(0.4)
              : appkit::color(SystemColor::controlAccent);
    if (auto* icon = firstSubview<appkit::ImageView>(tile)) {
        icon->setImage(powerIconImage(display));
        icon->setContentTintColor(tint);
    }

    const std::string action = isOff ? t("켜기", "Turn On") : t("끄기", "Turn Off");
    const std::string kind = display.isBuiltIn ? t("밝기", "Brightness") : t("화면", "Screen");
    const std::string tip = isEnglish() ? action + " " + display.name + " " + kind
                                        : display.name + " " + kind + " " + action;
    toggle->setToolTip(QString::fromStdString(tip));
    toggle->setAccessibilityLabel(tip.empty() ? display.name : tip);

    if (auto* layer = dynamic_cast<appkit::LayerView*>(tile)) {
        layer->setBorderColor(
            isOff ? appkit::color(SystemColor::separator)
                  : appkit::color(SystemColor::controlAccent).withAlphaComponent(0.5));
        layer->setLayerBackgroundColor(
            isOff ? appkit::color(SystemColor::clear)
                  : appkit::color(SystemColor::controlAccent).withAlphaComponent(0.08));
    }
    // After the tile's own colours, which the pill is drawn over.
    if (auto* hotkeyButton = firstSubview<hotkeys::HotkeyButton>(tile)) {
        hotkeyButton->setActive(!isOff);
        hotkeyButton->setTextColor(tint);
    }
}

QWidget* BlackoutController::makePowerTile(const ControlledDisplay& display, int position,
                                           int width) {
    auto* tile = new appkit::LayerView;
    tile->setFixedSize(width, kTileHeight);
    tile->setCornerRadius(12);
    tile->setBorderWidth(1);
    tile->setBorderColor(appkit::color(appkit::SystemColor::separator));

    auto* icon = new ui::InteractiveImageView(tile);
    icon->setGeometry((width - 144) / 2, 8, 144, 84);
    icon->setTag(hotkeyIconTagBase + position);

    // Over the icon, in the middle of the tile.
    auto* hotkeyButton = new hotkeys::HotkeyButton(tile);
    QFont font;
    font.setPixelSize(11);
    font.setWeight(QFont::DemiBold);
    hotkeyButton->setTitleFont(font);
    hotkeyButton->setTag(hotkeyButtonTagBase + position);
    hotkeyButton->setAction([this](appkit::Button& b) { hotkeyButtonClicked(b); });
    hotkeyButtons[display.id] = hotkeyButton;
    hotkeyButtonDisplays[hotkeyButton->tag()] = display;
    drawHotkeyPill(display);
    icon->onClick = [this, button = QPointer<appkit::Button>(hotkeyButton)] {
        if (button) hotkeyButtonClicked(*button);
    };

    auto* toggle = new appkit::Button(appkit::ButtonType::push, "", tile);
    toggle->setBordered(false);
    toggle->setGeometry((width - 36) / 2, kTileHeight - 8 - 20, 36, 20);
    const int tag = powerButtonTagBase + position;
    toggle->setTag(tag);
    toggle->setAction([this](appkit::Button& b) { displayPowerChanged(b); });

    powerButtons[display.id] = toggle;
    powerContainers[display.id] = tile;
    powerButtonDisplays[tag] = display;
    updatePowerButton(display, poweredOffBrightnesses.count(display.id) > 0);
    return tile;
}
