#include "backend/scripting/Hands.h"

#include "appkit/Button.h"
#include "appkit/PopUpButton.h"
#include "appkit/Slider.h"
#include "appkit/Window.h"
#include "platform/sim/HostKeys.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <QWidget>
#include <QWindow>
#include <QtTest/qtestkeyboard.h>
#include <QtTest/qtestmouse.h>
#include <QtTest/qtestspontaneevent.h>

#include <algorithm>

namespace scripting::hands {

namespace {

// The buttons held down between a press and its release, as the window system tracks them.
Qt::MouseButtons heldButtons;
// Event times in milliseconds; each release is followed by a pause longer than a double-click.
int timestamp = 1;

QWindow* windowOf(QWidget* w) {
    QWidget* top = w->window();
    if (!top->windowHandle()) top->winId();
    return top->windowHandle();
}

void sendMouse(QWidget* w, QPointF at, QEvent::Type type, Qt::MouseButton button,
               Qt::KeyboardModifiers modifiers) {
    QWidget* top = w->window();
    QWindow* window = windowOf(w);
    if (!window) return;
    const QPointF local = w->mapTo(top, at);
    const QPointF global = window->mapToGlobal(local);
    timestamp += 16;
    qt_handleMouseEvent(window, local, global, heldButtons, button, type, modifiers, timestamp);
}

std::string inQuotes(const QString& text) {
    return "\"" + text.toStdString() + "\"";
}

std::string windowName(QWidget* top) {
    const QString title = top->windowTitle();
    if (!title.isEmpty()) return "the window " + inQuotes(title);
    // A message box has no title here: its text names it.
    for (auto* label : top->findChildren<QLabel*>())
        if (!label->text().isEmpty()) return "the alert " + inQuotes(label->text());
    return "another window";
}

} // namespace

QWidget* openAlert() {
    if (auto* modal = QApplication::activeModalWidget()) return modal;
    for (auto* w : QApplication::topLevelWidgets())
        if (w->isVisible() && qobject_cast<QMessageBox*>(w)) return w;
    return nullptr;
}

std::string describe(QWidget* w) {
    if (!w) return "nothing";
    if (auto* b = dynamic_cast<appkit::Button*>(w)) {
        std::string title = b->title();
        if (title.empty()) title = b->accessibilityDescription();
        if (title.empty()) title = b->toolTip().toStdString();
        const char* kind =
            b->type() == appkit::ButtonType::checkbox ? "the checkbox " : "the button ";
        return kind + (title.empty() ? "tagged " + std::to_string(b->tag()) : "\"" + title + "\"");
    }
    if (auto* s = dynamic_cast<appkit::Slider*>(w)) return "the slider " + std::to_string(s->tag());
    if (auto* p = dynamic_cast<appkit::PopUpButton*>(w))
        return "the pop-up " + std::to_string(p->tag());
    if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        if (!b->text().isEmpty()) return "the button " + inQuotes(b->text());
        if (auto* parent = w->parentWidget(); parent && dynamic_cast<appkit::Button*>(parent))
            return describe(parent);
        return "a button";
    }
    if (auto* l = qobject_cast<QLabel*>(w))
        return l->text().isEmpty() ? "an empty label" : "the label " + inQuotes(l->text());
    if (auto* e = qobject_cast<QLineEdit*>(w)) return "the field holding " + inQuotes(e->text());
    if (qobject_cast<QComboBox*>(w))
        return w->parentWidget() ? describe(w->parentWidget()) : "a pop-up";
    if (w->isWindow()) return windowName(w);
    if (auto* parent = w->parentWidget(); parent && !parent->isWindow())
        if (auto* button = dynamic_cast<appkit::Button*>(parent)) return describe(button);
    return "a view (" + std::string(w->metaObject()->className()) + ")";
}

std::string whyUnreachable(QWidget* control, QPointF at, const std::string& name,
                           bool mustBeEnabled) {
    if (!control || !control->isVisible() || !control->window()->isVisible())
        return name + " is hidden";
    if (mustBeEnabled && !control->isEnabled()) return name + " is disabled";
    QWidget* top = control->window();
    // An open alert takes every click of the application until it is answered; the machine's
    // own window (the simulator) and the alert's pop-up lists are not the application's.
    if (QWidget* alert = openAlert(); alert && alert != top && top->windowType() != Qt::Popup &&
                                      !top->property(sim::kSimulatorChrome).toBool())
        return name + " cannot be reached: " + windowName(alert) + " is open in front of it";
    // Every view it sits in must show that point: a scroll view's viewport, any clipping parent.
    for (QWidget* w = control; w && w != top; w = w->parentWidget()) {
        if (QRectF(w->rect()).contains(control->mapTo(w, at))) continue;
        if (w->parentWidget() && qobject_cast<QAbstractScrollArea*>(w->parentWidget()))
            return name + " is outside the visible part of its scroll view";
        return name + " is cut off: " + describe(w) + " does not show that part of it";
    }
    const QPointF inTop = control->mapTo(top, at);
    QWidget* hit = top->childAt(inTop.toPoint());
    if (control != top && hit != control && !control->isAncestorOf(hit))
        return name + " is covered by " + describe(hit);
    // The program's windows in front of its own, at that place of the screen (an alert or a
    // pop-up's list is in front of them all).
    const QPoint global = top->mapToGlobal(inTop.toPoint());
    const auto ordered = appkit::Window::orderedWindows();
    const bool listed = std::any_of(ordered.begin(), ordered.end(),
                                    [top](appkit::Window* w) { return w->widget() == top; });
    for (auto* window : ordered) {
        if (!listed || window->widget() == top) break;
        if (window->widget()->frameGeometry().contains(global))
            return name + " is covered by " + windowName(window->widget());
    }
    return {};
}

bool scrollIntoView(QWidget* control, QPointF at) {
    for (QWidget* w = control->parentWidget(); w; w = w->parentWidget()) {
        auto* area = qobject_cast<QAbstractScrollArea*>(w);
        if (!area) continue;
        QWidget* viewport = area->viewport();
        // All of the control when it fits, else the point.
        auto inSight = [&] {
            const QRect shown = viewport->rect();
            const QRect whole(control->mapTo(viewport, QPoint(0, 0)), control->size());
            if (whole.height() <= shown.height()) return shown.contains(whole);
            return QRectF(shown).contains(control->mapTo(viewport, at));
        };
        auto* bar = area->verticalScrollBar();
        for (int turns = 0; !inSight() && turns < 400; ++turns) {
            const int before = bar->value();
            const bool below = control->mapTo(viewport, at).y() > viewport->height() / 2.0;
            turnWheel(viewport, QPointF(viewport->rect().center()), below ? 1 : -1);
            if (bar->value() == before) break;
        }
        if (!inSight()) return false;
    }
    return true;
}

void moveTo(QWidget* w, QPointF at, Qt::KeyboardModifiers modifiers) {
    sendMouse(w, at, QEvent::MouseMove, Qt::NoButton, modifiers);
}

void press(QWidget* w, QPointF at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
    heldButtons |= button;
    sendMouse(w, at, QEvent::MouseButtonPress, button, modifiers);
}

void release(QWidget* w, QPointF at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
    heldButtons &= ~Qt::MouseButtons(button);
    sendMouse(w, at, QEvent::MouseButtonRelease, button, modifiers);
    // The next click is a click of its own, never the second half of a double-click.
    timestamp += QApplication::doubleClickInterval() + 1;
}

void click(QWidget* w, QPointF at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
    QPointer<QWidget> target(w);
    moveTo(w, at, modifiers);
    if (target) press(w, at, button, modifiers);
    // What the press opened (a pop-up, an alert) may have taken the release; it still happens.
    if (target)
        release(w, at, button, modifiers);
    else
        heldButtons &= ~Qt::MouseButtons(button);
}

namespace {

void sendPrecisely(QWidget* w, QPointF at, QEvent::Type type, Qt::MouseButton button) {
    QWidget* top = w->window();
    const QPointF scene = w->mapTo(top, at);
    const QPointF global = windowOf(w) ? windowOf(w)->mapToGlobal(scene) : scene;
    QMouseEvent event(type, at, scene, global, button, heldButtons, Qt::NoModifier);
    timestamp += 16;
    event.setTimestamp(ulong(timestamp));
    QSpontaneKeyEvent::setSpontaneous(&event);
    QApplication::instance()->notify(w, &event);
}

} // namespace

void grab(QWidget* w, QPointF at) {
    heldButtons |= Qt::LeftButton;
    sendPrecisely(w, at, QEvent::MouseButtonPress, Qt::LeftButton);
}

void dragTo(QWidget* w, QPointF at) {
    sendPrecisely(w, at, QEvent::MouseMove, Qt::NoButton);
}

void letGo(QWidget* w, QPointF at) {
    heldButtons &= ~Qt::MouseButtons(Qt::LeftButton);
    sendPrecisely(w, at, QEvent::MouseButtonRelease, Qt::LeftButton);
    timestamp += QApplication::doubleClickInterval() + 1;
}

void turnWheel(QWidget* w, QPointF at, int notches) {
    QWidget* top = w->window();
    const QPointF inTop = w->mapTo(top, at);
    QWidget* receiver = top->childAt(inTop.toPoint());
    if (!receiver) receiver = top;
    const QPointF local = receiver->mapFrom(top, inTop);
    QWheelEvent wheel(local, receiver->mapToGlobal(local), QPoint(), QPoint(0, -120 * notches),
                      heldButtons, QApplication::keyboardModifiers(), Qt::NoScrollPhase, false);
    // As the window system sends it: what the view under the pointer leaves goes to its parents
    // (sendEvent would make it a program's own event, which stays where it is sent).
    QSpontaneKeyEvent::setSpontaneous(&wheel);
    QApplication::instance()->notify(receiver, &wheel);
}

void pressKey(QWidget* w, int qtKey, Qt::KeyboardModifiers modifiers, const QString& text) {
    QWindow* window = windowOf(w);
    if (!window) return;
    struct Modifier {
        Qt::KeyboardModifier flag;
        int key;
    };
    static const Modifier kModifiers[] = {{Qt::ShiftModifier, Qt::Key_Shift},
                                          {Qt::ControlModifier, Qt::Key_Control},
                                          {Qt::AltModifier, Qt::Key_Alt},
                                          {Qt::MetaModifier, Qt::Key_Meta}};
    Qt::KeyboardModifiers held;
    for (const auto& m : kModifiers)
        if (modifiers & m.flag) {
            qt_handleKeyEvent(window, QEvent::KeyPress, m.key, held);
            held |= m.flag;
        }
    qt_handleKeyEvent(window, QEvent::KeyPress, qtKey, modifiers, text);
    qt_handleKeyEvent(window, QEvent::KeyRelease, qtKey, modifiers, text);
    for (auto m = std::rbegin(kModifiers); m != std::rend(kModifiers); ++m)
        if (modifiers & m->flag) {
            qt_handleKeyEvent(window, QEvent::KeyRelease, m->key, held);
            held &= ~Qt::KeyboardModifiers(m->flag);
        }
}

void typeText(QWidget* w, const QString& text) {
    for (char32_t c : text.toUcs4()) {
        const QString one = QString::fromUcs4(&c, 1);
        const QString upper = one.toUpper();
        // Qt names a character's key by its upper-case form; a capital letter needs Shift.
        const int key = upper.size() == 1 ? upper.at(0).unicode() : int(c);
        const bool shifted = one != one.toLower() && one == upper;
        pressKey(w, key, shifted ? Qt::ShiftModifier : Qt::NoModifier, one);
    }
}

} // namespace scripting::hands
