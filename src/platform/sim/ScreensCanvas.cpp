#include "platform/sim/ScreensCanvas.h"
#include "platform/sim/HostKeys.h"

#include "platform/Clock.h"
#include "platform/Displays.h"
#include "platform/Platform.h"
#include "platform/Screens.h"
#include "platform/SymbolImages.h"
#include "platform/sim/SimAppearance.h"
#include "platform/sim/SimAudio.h"
#include "platform/sim/SimBattery.h"
#include "platform/sim/SimBrightness.h"
#include "platform/sim/SimInput.h"
#include "platform/sim/SimMonitor.h"
#include "platform/sim/SimPrivileges.h"
#include "platform/sim/SimStatusItem.h"
#include "platform/sim/SimWindowServer.h"
#include "platform/sim/VirtualMac.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace sim {

ScreensCanvas::ScreensCanvas(VirtualMac& mac, QWidget* parent) : QWidget(parent), mac_(mac) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setMinimumSize(640, 300);
}

ScreensCanvas::Layout ScreensCanvas::layout() const {
    Layout l;
    double minX = 0, minY = 0, maxX = 1, maxY = 1;
    bool first = true;
    std::vector<platform::Rect> places;
    for (const auto& d : mac_.description().displays)
        if (d.online && !d.mirrorOf && (!zoomed_ || d.id == *zoomed_)) places.push_back(d.frame);
    // Mirrored displays in a row under the desktop, at their own size.
    double belowY = 0, nextX = 0;
    for (const auto& f : places) {
        belowY = std::max(belowY, f.y + f.height + 160);
        nextX = std::min(nextX, f.x);
    }
    for (const auto& d : mac_.description().displays) {
        if (!d.online || !d.mirrorOf || (zoomed_ && d.id != *zoomed_)) continue;
        platform::Rect place{zoomed_ ? 0 : nextX, zoomed_ ? 0 : belowY, d.frame.width,
                             d.frame.height};
        l.mirrorPlaces[d.id] = place;
        places.push_back(place);
        // Room for its caption under it.
        places.push_back({place.x, place.y + place.height, 1, place.height * 0.25});
        nextX += d.frame.width + 160;
    }
    for (const auto& f : places) {
        if (first) {
            minX = f.x, minY = f.y, maxX = f.x + f.width, maxY = f.y + f.height;
            first = false;
        }
        minX = std::min(minX, f.x), minY = std::min(minY, f.y);
        maxX = std::max(maxX, f.x + f.width), maxY = std::max(maxY, f.y + f.height);
    }
    const double margin = 24, gap = 40;
    double w = maxX - minX + gap, h = maxY - minY + gap;
    l.scale = std::min((width() - 2 * margin) / w, (height() - 2 * margin) / h);
    l.dx = margin + (width() - 2 * margin - w * l.scale) / 2 - minX * l.scale + gap * l.scale / 2;
    l.dy = margin + (height() - 2 * margin - h * l.scale) / 2 - minY * l.scale + gap * l.scale / 2;
    return l;
}

void ScreensCanvas::zoomTo(std::optional<platform::DisplayID> id) {
    zoomed_ = id;
    update();
}

void ScreensCanvas::mouseDoubleClickEvent(QMouseEvent* event) {
    if (zoomed_) {
        zoomTo(std::nullopt);
        return;
    }
    const auto l = layout();
    for (const auto& d : mac_.description().displays)
        if (d.online && screenRect(l, d).contains(event->position())) zoomTo(d.id);
}

void ScreensCanvas::dropDismissedMenu() {
    if (openMenu_ && !menuOpen()) openMenu_.reset();
}

bool ScreensCanvas::menuOpen() const {
    return openMenu_ && mac_.statusItem() && mac_.statusItem()->menuIsOpen();
}

void ScreensCanvas::paintEvent(QPaintEvent*) {
    dropDismissedMenu();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), QColor(34, 36, 40));
    auto l = layout();
    const auto& displays = mac_.description().displays;
    auto shown = [&](const DisplayDescription& d) {
        return d.online && (!zoomed_ || d.id == *zoomed_);
    };
    if (zoomed_)
        p.setClipRect(screenRect(l, *std::find_if(displays.begin(), displays.end(),
                                                  [&](const auto& d) { return d.id == *zoomed_; }))
                          .adjusted(-3, -3, 3, 3));
    for (int i = 0; i < int(displays.size()); ++i)
        if (shown(displays[size_t(i)]) && !displays[size_t(i)].mirrorOf) paintScreen(p, l, i);
    paintPlacedWindows(p, l);
    // A screen covered by a window with a view of its own shows that view, not its notes.
    for (int i = 0; i < int(displays.size()); ++i)
        if (shown(displays[size_t(i)]) && !displays[size_t(i)].mirrorOf &&
            !coveredByView(displays[size_t(i)]))
            paintScreenInfo(p, l, i);
    for (int i = 0; i < int(displays.size()); ++i)
        if (shown(displays[size_t(i)]) && displays[size_t(i)].mirrorOf) paintMirror(p, l, i);
    p.setClipping(false);
    paintMachineStrip(p);
    paintLatestNotification(p);
    if (openMenu_) paintMenu(p);
}

void ScreensCanvas::paintMirror(QPainter& p, const Layout& l, int index) {
    const auto& displays = mac_.description().displays;
    const auto& d = displays[size_t(index)];
    const QRectF target = screenRect(l, d);
    auto master = std::find_if(displays.begin(), displays.end(),
                               [&](const auto& m) { return m.id == d.mirrorOf && m.online; });
    p.save();
    p.setClipRect(target);
    if (master != displays.end()) {
        // The master as drawn in the desktop, with its layout's scale, moved onto this screen.
        Layout desktop = l;
        desktop.mirrorPlaces.clear();
        const QRectF source = screenRect(desktop, *master);
        QTransform move;
        move.translate(target.x(), target.y());
        move.scale(target.width() / source.width(), target.height() / source.height());
        move.translate(-source.x(), -source.y());
        p.setTransform(move, true);
        const int masterIndex = int(master - displays.begin());
        paintScreen(p, desktop, masterIndex);
        paintPlacedWindows(p, desktop);
        if (!coveredByView(*master)) paintScreenInfo(p, desktop, masterIndex);
    }
    p.restore();
    // Its own backlight and gamma still apply to the picture it shows.
    QPainterPath frame;
    frame.addRoundedRect(target, 6, 6);
    const double level = shownBrightness(d);
    p.fillPath(frame, QColor(0, 0, 0, int((1.0 - level) * 0.8 * 255)));
    if (mac_.brightness().gamma(d.id).kind() == "black") p.fillPath(frame, Qt::black);
    p.setPen(QPen(QColor(120, 120, 130), 2, Qt::DashLine));
    p.drawPath(frame);
    QFont f = font();
    f.setPointSizeF(9.5);
    p.setFont(f);
    const QRectF caption(target.x(), target.bottom() + 4, target.width(), 18);
    p.setPen(QColor(235, 235, 245));
    p.drawText(caption, Qt::AlignHCenter | Qt::AlignTop,
               QString("%1 (ID %2) mirrors ID %3")
                   .arg(QString::fromStdString(d.screenName))
                   .arg(d.id)
                   .arg(d.mirrorOf));
}

bool ScreensCanvas::coveredByView(const DisplayDescription& d) const {
    for (const auto& e : mac_.windowServer().windows())
        if (e.window.content && e.window.frame == d.frame) return true;
    return false;
}

QRectF ScreensCanvas::screenRect(const Layout& l, const DisplayDescription& d) const {
    // Screens are drawn with a small gap so neighbours stay distinguishable.
    auto place = l.mirrorPlaces.find(d.id);
    const auto& f = place != l.mirrorPlaces.end() ? place->second : d.frame;
    return l.toCanvas(f.x, f.y, f.width, f.height).adjusted(3, 3, -3, -3);
}

double ScreensCanvas::shownBrightness(const DisplayDescription& d) const {
    if (d.builtIn) return d.brightness;
    auto m = mac_.monitor(d.id);
    if (!m || (d.monitor && !d.monitor->answers)) return 1.0;
    auto v = m->vcp(0x10);
    if (!v || v->maximum == 0) return 1.0;
    return std::clamp(double(v->current) / double(v->maximum), 0.0, 1.0);
}

void ScreensCanvas::paintScreen(QPainter& p, const Layout& l, int index) {
    const auto& d = mac_.description().displays[size_t(index)];
    QRectF r = screenRect(l, d);
    QPainterPath frame;
    frame.addRoundedRect(r, 6, 6);
    const bool dark = mac_.appearance().isDark();
    QLinearGradient wallpaper(r.topLeft(), r.bottomRight());
    wallpaper.setColorAt(0, dark ? QColor(28, 44, 84) : QColor(52, 94, 160));
    wallpaper.setColorAt(1, dark ? QColor(60, 36, 80) : QColor(118, 72, 150));
    p.fillPath(frame, wallpaper);

    const bool isMain = isMainDisplay(d);
    if (isMain) paintMenuBar(p, r);

    // The backlight: a dimmer screen, never quite black (that is what a black gamma table does).
    const double level = shownBrightness(d);
    p.fillPath(frame, QColor(0, 0, 0, int((1.0 - level) * 0.8 * 255)));
    // The blue-light filter warms every screen with its strength.
    if (mac_.brightness().blueLightOn())
        p.fillPath(frame, QColor(255, 140, 30, int(mac_.brightness().blueLightStrength() * 90)));
    const auto& gamma = mac_.brightness().gamma(d.id);
    if (gamma.kind() == "black") p.fillPath(frame, Qt::black);

    p.setPen(QPen(d.builtIn ? QColor(200, 200, 210) : QColor(120, 120, 130), 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(frame);
}

void ScreensCanvas::paintPlacedWindows(QPainter& p, const Layout& l) {
    for (const auto& e : mac_.windowServer().windows()) {
        const auto& w = e.window;
        QRectF r =
            l.toCanvas(w.frame.x, w.frame.y, w.frame.width, w.frame.height).adjusted(3, 3, -3, -3);
        QColor c = QColor::fromRgbF(float(w.background.red), float(w.background.green),
                                    float(w.background.blue));
        double alpha = w.alphaValue * (w.opaque ? 1.0 : w.background.alpha);
        c.setAlphaF(float(std::clamp(alpha, 0.0, 1.0)));
        QPainterPath path;
        path.addRoundedRect(r, 6, 6);
        p.fillPath(path, c);
        // The window's own view, scaled onto the screen it covers.
        if (auto* view = qobject_cast<QWidget*>(w.content.data())) {
            p.save();
            p.setClipPath(path, Qt::IntersectClip);
            p.translate(r.topLeft());
            p.scale(r.width() / std::max(1, view->width()),
                    r.height() / std::max(1, view->height()));
            view->render(&p, QPoint(), QRegion(), QWidget::DrawChildren);
            p.restore();
            // Something that moves by itself is drawn again soon, only while it is shown.
            if (w.animated && !redrawPending_) {
                redrawPending_ = true;
                QTimer::singleShot(50, this, [this] {
                    redrawPending_ = false;
                    update();
                });
            }
        }
        if (!w.text.empty()) {
            p.setPen(QColor(255, 255, 255, int(std::clamp(w.alphaValue, 0.0, 1.0) * 230)));
            QFont f = font();
            f.setPointSizeF(12);
            p.setFont(f);
            p.drawText(r, Qt::AlignCenter | Qt::TextWordWrap, QString::fromStdString(w.text));
        }
    }
}

void ScreensCanvas::paintScreenInfo(QPainter& p, const Layout& l, int index) {
    const auto& d = mac_.description().displays[size_t(index)];
    QRectF r = screenRect(l, d);
    const bool isMain = isMainDisplay(d);

    // What the screen says about itself.
    QRectF text =
        r.adjusted(12, isMain ? std::max(18.0, kMenuBarPoints * l.scale) + 10 : 10, -12, -10);
    p.setPen(Qt::white);
    QFont f = font();
    f.setPointSizeF(11);
    f.setBold(true);
    p.setFont(f);
    QString title = QString::fromStdString(d.screenName.empty() ? "(no screen)" : d.screenName);
    // The whole name, wrapped over two lines at most, in smaller print when it must be.
    const int titleFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
    auto titleRect = [&] { return QFontMetricsF(f).boundingRect(text, titleFlags, title); };
    while (f.pointSizeF() > 7 && titleRect().height() > 2.2 * QFontMetricsF(f).height())
        f.setPointSizeF(f.pointSizeF() - 0.5);
    p.setFont(f);
    const QRectF titleBox = titleRect();
    p.drawText(text, titleFlags, title);
    f.setBold(false);
    f.setPointSizeF(9.5);
    p.setFont(f);
    QStringList lines;
    lines << QString("ID %1 · %2").arg(d.id).arg(d.builtIn ? "built-in panel" : "external");
    if (!d.hasScreen) lines << "online, no screen (mirrored)";
    if (d.builtIn) lines << QString("Backlight %1%").arg(int(std::lround(d.brightness * 100)));
    if (auto m = mac_.monitor(d.id)) {
        auto vcp = [&](uint8_t code) {
            auto v = m->vcp(code);
            return v ? QString("%1/%2").arg(v->current).arg(v->maximum) : QString("—");
        };
        if (d.monitor && !d.monitor->answers)
            lines << "DDC/CI: no answer";
        else
            lines << QString("DDC 0x10 brightness %1").arg(vcp(0x10))
                  << QString("DDC 0x62 volume %1").arg(vcp(0x62))
                  << QString("DDC 0xD6 power %1").arg(vcp(0xD6));
        lines << QString("I2C writes %1 · reads %2").arg(m->writeCount()).arg(m->readCount());
        // The pacing as the monitor sees it: frames in the last second, the latest one's age.
        const uint64_t now = mac_.clock().nowMicroseconds();
        if (auto last = m->lastFrameAt()) {
            const double ago = double(now - *last) / 1e6;
            lines << QString("Set VCP %1/s · last %2")
                         .arg(m->framesInLastSecond(now))
                         .arg(ago < 5 ? QString("%1 s ago").arg(ago, 0, 'f', 2)
                                      : QString("over 5 s ago"));
            if (ago < 5 && !pacingRedrawDue_) {
                pacingRedrawDue_ = true;
                QTimer::singleShot(200, this, [this] {
                    pacingRedrawDue_ = false;
                    update();
                });
            }
        } else {
            lines << "Set VCP 0/s · none yet";
        }
    }
    const auto& gamma = mac_.brightness().gamma(d.id);
    QString kind = QString::fromStdString(gamma.kind());
    if (kind == "custom") kind += QString(" (%1 samples)").arg(gamma.red.size());
    lines << QString("Gamma %1").arg(kind);
    for (const auto& e : mac_.windowServer().windows())
        if (e.window.frame == d.frame)
            lines << QString("%1 window α %2")
                         .arg(QString::fromStdString(e.window.kind))
                         .arg(e.window.alphaValue, 0, 'f', 3);
    QRectF body = text.adjusted(0, titleBox.height() + 6, 0, 0);
    // A small screen gets smaller print rather than lines cut off.
    QFontMetricsF metrics(f);
    while (f.pointSizeF() > 6.5 && metrics.height() * lines.size() > body.height()) {
        f.setPointSizeF(f.pointSizeF() - 0.5);
        metrics = QFontMetricsF(f);
    }
    p.setFont(f);
    p.setPen(QColor(235, 235, 245));
    p.drawText(body, Qt::AlignLeft | Qt::AlignTop, lines.join("\n"));
}

std::optional<platform::Point> ScreensCanvas::locationIn(int number, QPointF pt) const {
    auto l = layout();
    if (l.scale <= 0) return std::nullopt;
    for (const auto& e : mac_.windowServer().windows())
        if (e.number == number)
            return platform::Point{(pt.x() - l.dx) / l.scale - e.window.frame.x,
                                   (pt.y() - l.dy) / l.scale - e.window.frame.y};
    return std::nullopt;
}

std::optional<int> ScreensCanvas::placedWindowAt(QPointF pt) const {
    auto l = layout();
    if (l.scale <= 0) return std::nullopt;
    const platform::Point global{(pt.x() - l.dx) / l.scale, (pt.y() - l.dy) / l.scale};
    return mac_.windowServer().windowAt(global, true);
}

void ScreensCanvas::mousePressEvent(QMouseEvent* event) {
    event->accept();
    pressedOnWindow_ = false;
    // A click goes to what is on screen now, not to a menu nothing has repainted away yet.
    dropDismissedMenu();
    if (openMenu_) return;
    // The program's screen-covering windows lie above everything, menu bar included.
    if (auto number = placedWindowAt(event->position())) {
        pressedOnWindow_ = true;
        platform::Event e;
        e.type = event->button() == Qt::RightButton  ? platform::EventType::rightMouseDown
                 : event->button() == Qt::LeftButton ? platform::EventType::leftMouseDown
                                                     : platform::EventType::otherMouseDown;
        e.location = locationIn(*number, event->position());
        mac_.windowServer().sendEvent(*number, e);
    }
}

void ScreensCanvas::wheelEvent(QWheelEvent* event) {
    if (auto number = placedWindowAt(event->position())) {
        platform::Event e;
        e.type = platform::EventType::scrollWheel;
        mac_.windowServer().sendEvent(*number, e);
    }
    event->accept();
}

void ScreensCanvas::mouseMoveEvent(QMouseEvent* event) {
    if (auto number = placedWindowAt(event->position())) {
        platform::Event e;
        e.type = platform::EventType::mouseMoved;
        e.location = locationIn(*number, event->position());
        mac_.windowServer().sendEvent(*number, e);
    }
}

bool ScreensCanvas::onAScreen(QPointF pt) const {
    const auto l = layout();
    if (l.scale <= 0) return false;
    for (const auto& d : mac_.description().displays)
        if (d.online && screenRect(l, d).contains(pt)) return true;
    return false;
}

void ScreensCanvas::mouseReleaseEvent(QMouseEvent* event) {
    QPointF pt = event->position();
    if (pressedOnWindow_) {
        pressedOnWindow_ = false;
        return;
    }
    dropDismissedMenu();
    if (openMenu_) {
        int index = menuItemAt(pt);
        auto menu = *openMenu_;
        // A dimmed item takes no click; the menu stays open, as on a Mac.
        if (index >= 0 && !menu.items[size_t(index)].enabled) return;
        closeMenu();
        if (index >= 0 && menu.items[size_t(index)].action) menu.items[size_t(index)].action();
        return;
    }
    auto item = mac_.statusItem();
    if (item && statusItemRect().contains(pt)) {
        platform::ModifierFlags mods;
        mods.control = event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier);
        mods.shift = event->modifiers() & Qt::ShiftModifier;
        mods.option = event->modifiers() & Qt::AltModifier;
        item->click(event->button() == Qt::RightButton ? platform::EventType::rightMouseUp
                                                       : platform::EventType::leftMouseUp,
                    mods);
        return;
    }
    // Anywhere else on a screen: a person clicking the desktop or another application.
    if (onAScreen(pt)) mac_.input().clickInOtherApplication(0);
}

namespace {} // namespace

void ScreensCanvas::keyPressEvent(QKeyEvent* event) {
    dropDismissedMenu();
    if (event->key() == Qt::Key_Escape && openMenu_) {
        closeMenu();
        return;
    }
    // The virtual Mac's keyboard: keys typed here go to the program as its active application.
    // A key alone (a modifier pressed by itself) or one a Mac has no key for sends nothing.
    const auto code = macKeyCode(*event);
    if (code && !event->isAutoRepeat())
        mac_.input().pressKeyInApplication(*code, macModifiers(event->modifiers()));
    event->accept();
}

} // namespace sim
