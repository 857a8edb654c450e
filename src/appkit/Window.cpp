#include "appkit/Window.h"
#include "appkit/Button.h"
#include "appkit/Colors.h"
#include "appkit/ViewLookup.h"

#include "platform/WindowServer.h"

#include "platform/Platform.h"
#include "platform/SystemAppearance.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMoveEvent>
#include <QPaintEvent>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>

namespace appkit {

namespace {

// Where the platform keeps ordinary windows, title bars included (empty when it does not say:
// the system keeps them on the screen itself).
QRect usableArea() {
    if (auto* server = platform::current().windowServer)
        if (auto area = server->ordinaryWindowArea(); area && area->height > 100)
            return QRect(int(area->x), int(area->y), int(area->width), int(area->height));
    return {};
}

// Moves the frame, title bar included, into the usable area: its top edge never above the area,
// and, when wholly is set, the rest of it inside too where it fits (a person may still drag a
// window partly out sideways or down, never its title bar up and out of reach).
void keepInside(QWidget& frame, bool wholly) {
    const QRect area = usableArea();
    if (area.isEmpty() || !frame.isVisible()) return;
    const QRect outer = frame.frameGeometry();
    QPoint to = outer.topLeft();
    if (wholly) {
        if (outer.right() > area.right()) to.rx() -= outer.right() - area.right();
        if (outer.bottom() > area.bottom()) to.ry() -= outer.bottom() - area.bottom();
        to.setX(std::max(to.x(), area.left()));
    }
    to.setY(std::max(to.y(), area.top()));
    if (to != outer.topLeft()) frame.move(to);
}

} // namespace

// The top-level widget; a close from the window's title bar runs the same path as close().
class Window::Frame : public QWidget {
  public:
    explicit Frame(Window& owner) : owner_(owner) {}

  protected:
    void closeEvent(QCloseEvent* event) override {
        owner_.notifyWillClose();
        event->accept();
    }
    void changeEvent(QEvent* event) override {
        QWidget::changeEvent(event);
        if (event->type() == QEvent::ActivationChange && isActiveWindow()) keepInside(*this, false);
        if (event->type() != QEvent::WindowStateChange) return;
        const bool minimized = isMinimized();
        if (minimized && !wasMinimized_) {
            owner_.notify(Notification::willMiniaturize);
            owner_.notify(Notification::didMiniaturize);
        } else if (!minimized && wasMinimized_) {
            owner_.notify(Notification::didDeminiaturize);
        }
        wasMinimized_ = minimized;
    }
    void moveEvent(QMoveEvent* event) override {
        QWidget::moveEvent(event);
        // A window manager places a new window's frame once it has decorated it: a place kept
        // for the content may have put the title bar above the area.
        keepInside(*this, false);
        owner_.notify(Notification::didMove);
    }
    void showEvent(QShowEvent* event) override {
        QWidget::showEvent(event);
        keepInside(*this, true);
        placementUnchecked_ = true;
    }
    // A window manager may place a new window by its content (static gravity) and only then
    // decorate it: the title bar's height is known once it is shown on the screen, so the frame
    // is looked at again then, after this paint.
    void paintEvent(QPaintEvent* event) override {
        QWidget::paintEvent(event);
        if (!placementUnchecked_) return;
        placementUnchecked_ = false;
        QMetaObject::invokeMethod(
            this, [this] { keepInside(*this, false); }, Qt::QueuedConnection);
    }
    // What the focused view leaves of Return (a field ends its editing and passes it on) goes
    // to the window's default button, wherever the focus is.
    void keyPressEvent(QKeyEvent* event) override {
        const bool isReturn = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        if (isReturn && !event->isAutoRepeat())
            for (auto* button : subviews<Button>(this))
                if (button->keyEquivalent() == "\r" && button->isVisible() && button->isEnabled()) {
                    event->accept();
                    button->performClick();
                    return;
                }
        QWidget::keyPressEvent(event);
    }

  private:
    Window& owner_;
    bool wasMinimized_ = false;
    bool placementUnchecked_ = false;
};

namespace {

QPalette paletteFor(Appearance appearance) {
    const bool dark = appearance == Appearance::darkAqua;
    const QColor window = dark ? QColor(0x32, 0x32, 0x32) : QColor(0xec, 0xec, 0xec);
    const QColor text = dark ? QColor(255, 255, 255, 217) : QColor(0, 0, 0, 217);
    // A checkbox is drawn on the base colour: in the dark appearance it must stand out.
    const QColor base = dark ? QColor(0x58, 0x58, 0x5a) : QColor(255, 255, 255);
    const QColor button = dark ? QColor(0x50, 0x50, 0x50) : QColor(255, 255, 255);
    QPalette p;
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::Button, button);
    p.setColor(QPalette::ToolTipBase, base);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, dark ? QColor(255, 255, 255, 64) : QColor(0, 0, 0, 64));
    p.setColor(QPalette::Highlight, QColor(0x00, 0x7a, 0xff));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Disabled, QPalette::WindowText,
               dark ? QColor(255, 255, 255, 64) : QColor(0, 0, 0, 64));
    p.setColor(QPalette::Disabled, QPalette::Text,
               dark ? QColor(255, 255, 255, 64) : QColor(0, 0, 0, 64));
    p.setColor(QPalette::Disabled, QPalette::ButtonText,
               dark ? QColor(255, 255, 255, 64) : QColor(0, 0, 0, 64));
    // A disabled slider's fill and knob go grey, as on a Mac.
    p.setColor(QPalette::Disabled, QPalette::Highlight,
               dark ? QColor(0x6e, 0x6e, 0x72) : QColor(0xc2, 0xc2, 0xc6));
    p.setColor(QPalette::Disabled, QPalette::Button,
               dark ? QColor(0x46, 0x46, 0x48) : QColor(0xf4, 0xf4, 0xf6));
    return p;
}

} // namespace

// A host screen may be smaller than the machine's: a window stays inside the room it is given.
static int fitRoom(int height) {
    if (auto* server = platform::current().windowServer)
        if (auto area = server->ordinaryWindowArea(); area && area->height > 100)
            return std::min(height, int(area->height));
    return height;
}

Window::Window(QSize contentSize, WindowStyle style)
    : style_(style), frame_(std::make_unique<Frame>(*this)) {
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint;
    if (style.titled) flags |= Qt::WindowTitleHint;
    if (style.closable) flags |= Qt::WindowCloseButtonHint;
    if (style.miniaturizable) flags |= Qt::WindowMinimizeButtonHint;
    if (style.resizable) flags |= Qt::WindowMaximizeButtonHint;
    frame_->setWindowFlags(flags);
    // Closing one of our windows never ends the application.
    frame_->setAttribute(Qt::WA_QuitOnClose, false);
    frame_->setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(frame_.get());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    setContentSize(contentSize);
    applyAppearance();
    if (auto* system = platform::current().appearance)
        systemObserver_ = system->addAppearanceObserver([this] { applyAppearance(); });
}

Window::~Window() {
    if (systemObserver_ && platform::hasCurrent())
        if (auto* system = platform::current().appearance)
            system->removeAppearanceObserver(*systemObserver_);
}

int Window::observeEffectiveAppearance(std::function<void()> handler) {
    appearanceObservers_[nextObserver_] = std::move(handler);
    return nextObserver_++;
}

void Window::removeAppearanceObservation(int token) {
    appearanceObservers_.erase(token);
}

void Window::setTitle(const std::string& title) {
    frame_->setWindowTitle(QString::fromStdString(title));
}

std::string Window::title() const {
    return frame_->windowTitle().toStdString();
}

void Window::setContentView(QWidget* view) {
    auto* layout = frame_->layout();
    if (content_) {
        layout->removeWidget(content_);
        delete content_;
    }
    content_ = view;
    if (view) layout->addWidget(view);
    // Texts coloured while built, outside any window, take this window's appearance.
    applyTextColors(*frame_);
}

void Window::setContentSize(QSize size) {
    size.setHeight(fitRoom(size.height()));
    if (style_.resizable)
        frame_->resize(size);
    else
        frame_->setFixedSize(size);
}

QSize Window::contentSize() const {
    return frame_->size();
}

void Window::center() {
    // Where the platform keeps ordinary windows (in the virtual Mac: beside its screens).
    if (auto* server = platform::current().windowServer)
        if (auto area = server->ordinaryWindowArea()) {
            frame_->move(int(area->x), int(area->y));
            return;
        }
    auto* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect area = screen->availableGeometry();
    QSize size = frame_->frameGeometry().size();
    frame_->move(area.center() - QPoint(size.width() / 2, size.height() / 2));
}

bool Window::isMiniaturized() const {
    return frame_->isMinimized();
}

void Window::miniaturize() {
    frame_->showMinimized();
}

void Window::deminiaturize() {
    frame_->showNormal();
}

void Window::setFrameHeight(int height) {
    int room = fitRoom(height);
    // The title bar the window manager adds takes its part of the room.
    if (const QRect area = usableArea(); !area.isEmpty() && frame_->isVisible())
        room =
            std::min(room, area.height() - (frame_->frameGeometry().height() - frame_->height()));
    const QSize size(frame_->width(), std::max(room, 1));
    if (style_.resizable)
        frame_->resize(size);
    else
        frame_->setFixedSize(size);
    // A window grown downwards moves up rather than run off the bottom.
    keepInside(*frame_, true);
}

int Window::frameHeight() const {
    return frame_->height();
}

QPoint Window::topLeft() const {
    return frame_->pos();
}

void Window::moveTopLeft(QPoint point) {
    frame_->move(point);
    keepInside(*frame_, true);
}

bool Window::isVisible() const {
    return frame_->isVisible();
}

namespace {
// Increases with every window ordered front: the highest is the front-most.
uint64_t frontCounter() {
    static uint64_t counter = 0;
    return ++counter;
}
const char* const kOwnerProperty = "appkitWindow";
} // namespace

std::vector<Window*> Window::orderedWindows() {
    std::vector<Window*> out;
    for (auto* w : QApplication::topLevelWidgets())
        if (w->isVisible())
            if (auto* owner = static_cast<Window*>(w->property(kOwnerProperty).value<void*>()))
                out.push_back(owner);
    std::sort(out.begin(), out.end(),
              [](Window* a, Window* b) { return a->orderedFrontAt_ > b->orderedFrontAt_; });
    return out;
}

void Window::makeKeyAndOrderFront() {
    orderedFrontAt_ = frontCounter();
    frame_->setProperty(kOwnerProperty, QVariant::fromValue(static_cast<void*>(this)));
    applyAppearance();
    if (frame_->isMinimized())
        frame_->showNormal();
    else
        frame_->show();
    frame_->raise();
    frame_->activateWindow();
}

void Window::orderOut() {
    frame_->hide();
}

void Window::close() {
    frame_->close();
}

void Window::notifyWillClose() {
    if (willClose_) willClose_();
}

void Window::setAppearance(std::optional<Appearance> appearance) {
    appearance_ = appearance;
    applyAppearance();
}

Appearance Window::effectiveAppearance() const {
    if (appearance_) return *appearance_;
    auto* system = platform::current().appearance;
    return system && system->applicationAppearanceIsDark() ? Appearance::darkAqua
                                                           : Appearance::aqua;
}

void Window::applyAppearance() {
    const Appearance now = effectiveAppearance();
    frame_->setPalette(paletteFor(now));
    applyTextColors(*frame_);
    if (shownAppearance_ == now) return;
    shownAppearance_ = now;
    auto observers = appearanceObservers_; // an observer may end its own observation
    for (const auto& [token, handler] : observers)
        if (handler) handler();
}

QImage Window::snapshot() const {
    // Layout and resize work waits in Qt's posted events, which virtual time never runs.
    QCoreApplication::sendPostedEvents();
    return frame_->grab().toImage();
}

QWidget* Window::widget() const {
    return frame_.get();
}

} // namespace appkit
