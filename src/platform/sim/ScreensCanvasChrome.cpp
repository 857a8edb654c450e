// The simulator window's chrome around the screens: the menu bar with the status item and its
// menu, the machine strip under the screens, and the latest notification's banner.

#include "platform/SymbolImages.h"
#include "platform/sim/ScreensCanvas.h"

#include "platform/Displays.h"
#include "platform/Platform.h"
#include "platform/RunLoop.h"
#include "platform/sim/SimAppearance.h"
#include "platform/sim/SimAudio.h"
#include "platform/sim/SimBattery.h"
#include "platform/sim/SimBrightness.h"
#include "platform/sim/SimInput.h"
#include "platform/sim/SimPrivileges.h"
#include "platform/sim/SimStatusItem.h"
#include "platform/sim/VirtualMac.h"

#include "platform/SystemLocale.h"
#include <QPainter>
#include <QPainterPath>

#include <QTimer>

#include <algorithm>
#include <cmath>

namespace sim {

namespace {

QString keyLabel(const std::string& key) {
    if (key.empty()) return {};
    if (key == "\x1b") return QStringLiteral("⌘⎋");
    return QStringLiteral("⌘") + QString::fromStdString(key).toUpper();
}

} // namespace

double ScreensCanvas::localSeconds() const {
    const auto* locale = mac_.platform().locale;
    return locale ? locale->secondsSince1970() + locale->secondsFromGMT() : 0.0;
}

QString ScreensCanvas::clockText(double secondsAgo) const {
    const auto local = int64_t(std::floor(localSeconds() - secondsAgo));
    const int64_t ofDay = ((local % 86400) + 86400) % 86400;
    return QString("%1:%2")
        .arg(ofDay / 3600, 2, 10, QChar('0'))
        .arg(ofDay / 60 % 60, 2, 10, QChar('0'));
}

void ScreensCanvas::paintLatestNotification(QPainter& p) {
    const auto& delivered = mac_.deliveredNotifications();
    if (delivered.empty()) return;
    const auto& [n, at] = delivered.back();
    // A banner shows for a few seconds, as on a Mac, then leaves; one repaint takes it away.
    constexpr double kBannerSeconds = 5.0;
    const double shownFor = mac_.platform().runLoop->now() - at;
    if (shownFor >= kBannerSeconds) return;
    if (!bannerRedrawDue_) {
        bannerRedrawDue_ = true;
        QTimer::singleShot(int((kBannerSeconds - shownFor) * 1000) + 20, this, [this] {
            bannerRedrawDue_ = false;
            update();
        });
    }
    // Below the menu bar, so the status item and its countdown stay in sight.
    const double top = mac_.statusItem() ? statusItemRect().bottom() + 6 : 8;
    QRectF card(width() - 300, top, 290, 58);
    QPainterPath shape;
    shape.addRoundedRect(card, 10, 10);
    p.fillPath(shape, QColor(246, 246, 248, 235));
    p.setPen(QColor(0, 0, 0, 40));
    p.drawPath(shape);
    QFont f = font();
    f.setPointSizeF(8.5);
    p.setFont(f);
    p.setPen(QColor(90, 90, 96));
    // Stamped with the machine's clock when it came, as the menu bar's clock reads.
    p.drawText(card.adjusted(10, 5, -10, 0), Qt::AlignLeft | Qt::AlignTop,
               "🔔 Nightlid · " + clockText(mac_.platform().runLoop->now() - at));
    f.setBold(true);
    f.setPointSizeF(9.5);
    p.setFont(f);
    p.setPen(QColor(20, 20, 24));
    p.drawText(card.adjusted(10, 20, -10, 0), Qt::AlignLeft | Qt::AlignTop,
               QString::fromStdString(n.title));
    f.setBold(false);
    f.setPointSizeF(8.5);
    p.setFont(f);
    p.setPen(QColor(50, 50, 56));
    p.drawText(card.adjusted(10, 36, -10, -4), Qt::AlignLeft | Qt::AlignTop,
               QFontMetricsF(f).elidedText(QString::fromStdString(n.body), Qt::ElideRight,
                                           card.width() - 20));
}

void ScreensCanvas::paintMachineStrip(QPainter& p) {
    QStringList parts;
    QStringList keys;
    for (const auto& k : mac_.description().keyboardBacklights)
        keys << QString("%1%").arg(int(std::lround(k.level * 100)));
    parts << (keys.isEmpty() ? QString("No keyboard backlight")
                             : QString("⌨ Keyboard backlight %1").arg(keys.join(", ")));
    parts << QString("Auto brightness %1").arg(mac_.description().autoBrightness ? "on" : "off");
    parts << QString("Appearance %1").arg(mac_.appearance().isDark() ? "dark" : "light");
    // The sound output and its volume, as the menu bar's sound menu would say.
    QString sound = "🔊 No sound output";
    for (const auto& a : mac_.audio().devices())
        if (a.id == mac_.audio().defaultOutput())
            sound = QString("🔊 %1 %2").arg(
                QString::fromStdString(a.name),
                a.hasVolume ? QString("%1%").arg(int(std::lround(a.volume * 100)))
                            : QString("(no volume control)"));
    parts << sound;
    // The battery as the menu bar's battery item would show it, and who keeps the Mac awake.
    const auto& battery = mac_.battery();
    if (battery.present()) {
        const QString state = battery.isCharging()        ? "charging"
                              : battery.adapterBypassed() ? "adapter bypassed"
                              : battery.isDrawingFromAC() ? "on hold"
                                                          : "on battery";
        parts << QString("🔋 %1% %2 · adapter %3%4")
                     .arg(battery.percent())
                     .arg(state)
                     .arg(battery.adapterConnected() ? QString("%1 W").arg(battery.watts())
                                                     : QString("out"))
                     .arg(mac_.privileges().helperRunning() ? " · helper running" : "");
    }
    if (!battery.assertions().empty())
        parts << QString("☕ %1 assertion(s)").arg(battery.assertions().size());
    if (mac_.brightness().blueLightOn())
        parts << QString("🌙 Night Shift %1%")
                     .arg(std::lround(mac_.brightness().blueLightStrength() * 100));
    // Nothing holds it awake and it has been idle past its sleep time.
    if (battery.assertions().empty() &&
        mac_.input().idleSeconds() >= mac_.description().systemSleepSeconds)
        parts << "💤 the machine would sleep now";
    const int hides = mac_.input().cursorHideCount();
    parts << (hides > 0 ? QString("Cursor hidden (%1)").arg(hides) : QString("Cursor shown"));
    QFont f = font();
    f.setPointSizeF(9.5);
    p.setFont(f);
    p.setPen(QColor(200, 200, 210));
    // Two lines when one is not enough.
    const QString text = parts.join("   ·   ");
    const bool wide = QFontMetricsF(f).horizontalAdvance(text) > width() - 24;
    p.drawText(QRectF(12, height() - (wide ? 40 : 24), width() - 24, wide ? 36 : 20),
               Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, text);
}

void ScreensCanvas::paintMenuBar(QPainter& p, const QRectF& screen) {
    QRectF bar(screen.left(), screen.top(), screen.width(),
               std::max(18.0, kMenuBarPoints * layout().scale));
    const bool dark = mac_.appearance().isDark();
    const QColor ink = dark ? QColor(235, 235, 240) : QColor(30, 30, 30);
    p.fillRect(bar, dark ? QColor(40, 40, 44, 215) : QColor(245, 245, 247, 215));
    p.setPen(ink);
    QFont f = font();
    f.setPointSizeF(9.5);
    f.setBold(true);
    p.setFont(f);
    // As on a Mac, status items win the room: the application's menu goes when it does not fit.
    double room = bar.right() - 46 - bar.left() - 10;
    if (const QRectF item = statusItemRect(); !item.isNull() && bar.intersects(item))
        room = item.left() - 6 - bar.left() - 10;
    if (QFontMetricsF(f).horizontalAdvance("Finder") <= room)
        p.drawText(bar.adjusted(10, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, "Finder");
    f.setBold(false);
    p.setFont(f);
    p.drawText(bar.adjusted(0, 0, -10, 0), Qt::AlignVCenter | Qt::AlignRight, clockText(0));
    // The clock turns with the machine's minutes: one repaint at the next, none in between.
    if (!clockRedrawDue_ && isVisible()) {
        clockRedrawDue_ = true;
        const double local = localSeconds();
        const int untilNextMinute = int((60.0 - std::fmod(local, 60.0)) * 1000.0) + 20;
        QTimer::singleShot(untilNextMinute, this, [this] {
            clockRedrawDue_ = false;
            update();
        });
    }

    auto item = mac_.statusItem();
    if (!item) return;
    QRectF r = statusItemRect();
    if (openMenu_) {
        p.setBrush(QColor(0, 0, 0, 40));
        p.setPen(Qt::NoPen);
        p.drawRoundedRect(r, 4, 4);
    }
    if (item->imageSymbol()) {
        if (auto img = platform::systemSymbolImage(*item->imageSymbol(), int(r.height() - 4), ink))
            p.drawImage(QPointF(r.center().x() - img->width() / 2.0 / img->devicePixelRatio(),
                                r.center().y() - img->height() / 2.0 / img->devicePixelRatio()),
                        *img);
    } else {
        p.setPen(ink);
        p.drawText(r, Qt::AlignCenter, QString::fromStdString(item->title()));
    }
}

bool ScreensCanvas::isMainDisplay(const DisplayDescription& d) const {
    if (!d.online || d.mirrorOf) return false;
    auto* displays = mac_.platform().displays;
    return displays ? displays->mainDisplayID() == d.id : d.frame.x == 0 && d.frame.y == 0;
}

QRectF ScreensCanvas::statusItemRect() const {
    auto l = layout();
    for (const auto& d : mac_.description().displays) {
        if (!isMainDisplay(d)) continue;
        QRectF r =
            l.toCanvas(d.frame.x, d.frame.y, d.frame.width, d.frame.height).adjusted(3, 3, -3, -3);
        double h = std::max(18.0, kMenuBarPoints * l.scale);
        // A title (a countdown) widens the item towards the left of the clock.
        double w = 30;
        if (auto item = mac_.statusItem(); item && !item->imageSymbol() && !item->title().empty()) {
            QFont f = font();
            f.setPointSizeF(9.5);
            w = QFontMetricsF(f).horizontalAdvance(QString::fromStdString(item->title())) + 10;
        }
        return {r.right() - 46 - w, r.top(), w, h};
    }
    return {};
}

QRectF ScreensCanvas::menuRect() const {
    if (!openMenu_) return {};
    double h = 8;
    for (const auto& i : openMenu_->items)
        h += i.isSeparator ? kMenuSeparator : kMenuRow;
    QRectF item = statusItemRect();
    double x = std::min(item.left(), width() - kMenuWidth - 4.0);
    return {x, item.bottom() + 2, kMenuWidth, h};
}

void ScreensCanvas::paintMenu(QPainter& p) {
    // Menus follow the system appearance, as the menu bar does.
    const bool dark = mac_.appearance().isDark();
    const QColor ink = dark ? QColor(235, 235, 240) : QColor(20, 20, 20);
    const QColor dim = dark ? QColor(130, 130, 136) : QColor(150, 150, 150);
    const QColor keys = dark ? QColor(160, 160, 166) : QColor(120, 120, 120);
    const QColor rule = dark ? QColor(255, 255, 255, 40) : QColor(0, 0, 0, 40);
    QRectF r = menuRect();
    p.setPen(QPen(dark ? QColor(255, 255, 255, 50) : QColor(0, 0, 0, 60), 1));
    p.setBrush(dark ? QColor(44, 44, 48, 245) : QColor(236, 236, 238, 245));
    p.drawRoundedRect(r, 7, 7);
    double y = r.top() + 4;
    QFont f = font();
    f.setPointSizeF(10);
    p.setFont(f);
    for (const auto& i : openMenu_->items) {
        if (i.isSeparator) {
            p.setPen(rule);
            p.drawLine(QPointF(r.left() + 10, y + kMenuSeparator / 2),
                       QPointF(r.right() - 10, y + kMenuSeparator / 2));
            y += kMenuSeparator;
            continue;
        }
        QRectF row(r.left() + 14, y, r.width() - 28, kMenuRow);
        p.setPen(i.enabled && i.action ? ink : dim);
        p.drawText(row, Qt::AlignVCenter | Qt::AlignLeft, QString::fromStdString(i.title));
        p.setPen(keys);
        p.drawText(row, Qt::AlignVCenter | Qt::AlignRight, keyLabel(i.keyEquivalent));
        y += kMenuRow;
    }
}

int ScreensCanvas::menuItemAt(QPointF pt) const {
    if (!openMenu_) return -1;
    QRectF r = menuRect();
    if (!r.contains(pt)) return -1;
    double y = r.top() + 4;
    for (int i = 0; i < int(openMenu_->items.size()); ++i) {
        const auto& item = openMenu_->items[size_t(i)];
        double h = item.isSeparator ? kMenuSeparator : kMenuRow;
        if (pt.y() >= y && pt.y() < y + h) return item.isSeparator ? -1 : i;
        y += h;
    }
    return -1;
}

std::optional<QRectF> ScreensCanvas::statusItemPlace() const {
    if (!mac_.statusItem()) return std::nullopt;
    const QRectF r = statusItemRect();
    if (r.isNull()) return std::nullopt;
    return r;
}

std::optional<QRectF> ScreensCanvas::menuItemPlace(const std::string& title) const {
    if (!openMenu_) return std::nullopt;
    const QRectF r = menuRect();
    double y = r.top() + 4;
    for (const auto& item : openMenu_->items) {
        const double h = item.isSeparator ? kMenuSeparator : kMenuRow;
        if (!item.isSeparator && item.title == title) return QRectF(r.left(), y, r.width(), h);
        y += h;
    }
    return std::nullopt;
}

void ScreensCanvas::showMenu(const platform::Menu& menu) {
    openMenu_ = menu;
    update();
}

void ScreensCanvas::closeMenu() {
    openMenu_.reset();
    if (auto item = mac_.statusItem()) item->closeMenu();
    update();
}

// Where a canvas point lies in a placed window, in the window's points from its top left.
} // namespace sim
