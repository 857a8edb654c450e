// Windows the program places over whole screens (overlays, black windows, protector, Zen):
// a frameless Qt window each, whose native window gets the level, the shadow, the opacity and
// the behaviour across Spaces that AppKit offers, and stays when another application is active.

#include "platform/mac/MacServices.h"
#include "platform/mac/ObjCBridge.h"
#include "platform/mac/PlacedWindowBehaviour.h"
#include "platform/mac/ScreenCoordinates.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QWheelEvent>
#include <QWidget>

#include <algorithm>
#include <map>

namespace mac {

namespace {

// The behaviour bits are AppKit's own.
static_assert(WindowCollection::canJoinAllSpaces == NSWindowCollectionBehaviorCanJoinAllSpaces);
static_assert(WindowCollection::moveToActiveSpace == NSWindowCollectionBehaviorMoveToActiveSpace);
static_assert(WindowCollection::managed == NSWindowCollectionBehaviorManaged);
static_assert(WindowCollection::transient == NSWindowCollectionBehaviorTransient);
static_assert(WindowCollection::stationary == NSWindowCollectionBehaviorStationary);
static_assert(WindowCollection::participatesInCycle ==
              NSWindowCollectionBehaviorParticipatesInCycle);
static_assert(WindowCollection::ignoresCycle == NSWindowCollectionBehaviorIgnoresCycle);
static_assert(WindowCollection::fullScreenPrimary == NSWindowCollectionBehaviorFullScreenPrimary);
static_assert(WindowCollection::fullScreenAuxiliary ==
              NSWindowCollectionBehaviorFullScreenAuxiliary);
static_assert(WindowCollection::fullScreenNone == NSWindowCollectionBehaviorFullScreenNone);

platform::ModifierFlags modifiers(Qt::KeyboardModifiers m) {
    platform::ModifierFlags out;
    // On a Mac, Qt names the Command key Control and the Control key Meta.
    out.command = m.testFlag(Qt::ControlModifier);
    out.control = m.testFlag(Qt::MetaModifier);
    out.option = m.testFlag(Qt::AltModifier);
    out.shift = m.testFlag(Qt::ShiftModifier);
    return out;
}

class PlacedWindowView : public QWidget {
  public:
    PlacedWindowView()
        : QWidget(nullptr, Qt::FramelessWindowHint | Qt::Tool | Qt::NoDropShadowWindowHint) {
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_TranslucentBackground);
        // Before the native window exists, so Qt never makes it a panel that hides.
        setAttribute(Qt::WA_MacAlwaysShowToolWindow, placedWindowBehaviour(0).alwaysShowToolWindow);
        redraw_.setInterval(50);
        QObject::connect(&redraw_, &QTimer::timeout, this, [this] { update(); });
    }

    void place(const platform::PlacedWindow& window) {
        placed_ = window;
        setGeometry(int(window.frame.x), int(window.frame.y), int(window.frame.width),
                    int(window.frame.height));
        setMouseTracking(window.acceptsMouseMovedEvents);
        // Something that moves by itself is drawn again only while it is shown.
        if (window.animated && window.content)
            redraw_.start();
        else
            redraw_.stop();
        update();
    }
    void setHandler(std::function<void(const platform::Event&)> handler) {
        handler_ = std::move(handler);
    }
    const platform::PlacedWindow& placed() const { return placed_; }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const auto& b = placed_.background;
        QColor fill = QColor::fromRgbF(float(b.red), float(b.green), float(b.blue));
        fill.setAlphaF(float(std::clamp(placed_.opaque ? 1.0 : b.alpha, 0.0, 1.0)));
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.fillRect(rect(), fill);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        if (auto* view = qobject_cast<QWidget*>(placed_.content.data())) {
            p.save();
            p.scale(double(width()) / std::max(1, view->width()),
                    double(height()) / std::max(1, view->height()));
            view->render(&p, QPoint(), QRegion(), QWidget::DrawChildren);
            p.restore();
        }
        if (!placed_.text.empty()) {
            p.setPen(Qt::white);
            p.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap,
                       QString::fromStdString(placed_.text));
        }
    }
    void keyPressEvent(QKeyEvent* e) override {
        platform::Event out;
        out.type = platform::EventType::keyDown;
        out.keyCode = uint16_t(e->nativeVirtualKey());
        out.modifiers = modifiers(e->modifiers());
        deliver(out);
    }
    void mousePressEvent(QMouseEvent* e) override {
        platform::Event out;
        out.type = e->button() == Qt::LeftButton    ? platform::EventType::leftMouseDown
                   : e->button() == Qt::RightButton ? platform::EventType::rightMouseDown
                                                    : platform::EventType::otherMouseDown;
        out.modifiers = modifiers(e->modifiers());
        out.location = platform::Point{e->position().x(), e->position().y()};
        deliver(out);
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        platform::Event out;
        out.type = platform::EventType::mouseMoved;
        out.location = platform::Point{e->position().x(), e->position().y()};
        deliver(out);
    }
    void wheelEvent(QWheelEvent* e) override {
        platform::Event out;
        out.type = platform::EventType::scrollWheel;
        out.modifiers = modifiers(e->modifiers());
        out.location = platform::Point{e->position().x(), e->position().y()};
        deliver(out);
    }

  private:
    void deliver(const platform::Event& event) {
        if (handler_) handler_(event);
    }

    platform::PlacedWindow placed_;
    std::function<void(const platform::Event&)> handler_;
    QTimer redraw_;
};

// What Qt does not say about a window: its level, shadow, opacity and Spaces behaviour.
void applyNative(PlacedWindowView& view) {
    NSView* native = (__bridge NSView*)reinterpret_cast<void*>(view.winId());
    NSWindow* window = native.window;
    if (!window) return;
    const auto& placed = view.placed();
    window.level = placed.level;
    window.ignoresMouseEvents = placed.ignoresMouseEvents;
    window.acceptsMouseMovedEvents = placed.acceptsMouseMovedEvents;
    window.hasShadow = placed.hasShadow;
    window.opaque = placed.opaque;
    window.alphaValue = placed.alphaValue;
    const PlacedWindowBehaviour behaviour = placedWindowBehaviour(placed.collectionBehavior);
    window.hidesOnDeactivate = behaviour.hidesOnDeactivate;
    window.canHide = behaviour.canHide;
    window.collectionBehavior = NSWindowCollectionBehavior(behaviour.collectionBehavior);
    // Qt's geometry may have been kept below the menu bar before the level allowed more; the
    // frame is given again in AppKit's coordinates, from the primary screen's bottom.
    NSArray<NSScreen*>* screens = NSScreen.screens;
    if (screens.count > 0) {
        const platform::Rect f =
            topLeftFrame(placed.frame, [screens objectAtIndex:0].frame.size.height);
        [window setFrame:NSMakeRect(f.x, f.y, f.width, f.height) display:YES];
    }
    [window orderFrontRegardless];
}

class MacWindowServer : public platform::WindowServer {
  public:
    int orderFront(const platform::PlacedWindow& window) override {
        auto view = std::make_unique<PlacedWindowView>();
        view->place(window);
        view->show();
        applyNative(*view);
        windows_[++last_] = std::move(view);
        return last_;
    }
    void update(int number, const platform::PlacedWindow& window) override {
        if (auto* view = find(number)) {
            view->place(window);
            applyNative(*view);
        }
    }
    void orderOut(int number) override {
        auto found = windows_.find(number);
        if (found == windows_.end()) return;
        // Often asked from the window's own click or key: it goes once that event is over.
        PlacedWindowView* view = found->second.release();
        windows_.erase(found);
        view->setHandler(nullptr);
        view->hide();
        view->deleteLater();
    }
    void makeKey(int number) override {
        if (auto* view = find(number)) {
            view->activateWindow();
            view->setFocus();
        }
    }
    void setEventHandler(int number, std::function<void(const platform::Event&)> handler) override {
        if (auto* view = find(number)) view->setHandler(std::move(handler));
    }

    int shieldingLevel() const override { return int(CGShieldingWindowLevel()); }

  private:
    PlacedWindowView* find(int number) {
        auto found = windows_.find(number);
        return found == windows_.end() ? nullptr : found->second.get();
    }

    int last_ = 0;
    std::map<int, std::unique_ptr<PlacedWindowView>> windows_;
};

} // namespace

std::unique_ptr<platform::WindowServer> makeWindowServer() {
    return std::make_unique<MacWindowServer>();
}

} // namespace mac
