#pragma once
// What a person's hands send to the program's windows: the pointer moved to a control's place,
// mouse buttons pressed and released there, the wheel turned, keys pressed and released with
// their text and modifiers. Everything goes through Qt's window-system input, so the widget under
// the pointer, the mouse grab, the focus and modal windows decide who gets it, as for a person.

#include <QPoint>
#include <QPointF>
#include <QString>

#include <string>

class QWidget;

namespace scripting::hands {

// Why a person could not put the pointer on that point of the control (hidden, disabled, behind
// an open alert, outside the visible part of its scroll view, covered by another view or window);
// empty when they can. name is how the error names the control.
// A pointer may rest over a disabled control (to turn the wheel) when mustBeEnabled is false.
std::string whyUnreachable(QWidget* control, QPointF at, const std::string& name,
                           bool mustBeEnabled = true);

// Turns the wheel over the scroll views holding the control until that point of it is in sight,
// as a person scrolls to what they want to click. False when no scrolling brings it there.
bool scrollIntoView(QWidget* control, QPointF at);

// The pointer moves to the point of w (in w's coordinates), with the buttons held so far.
void moveTo(QWidget* w, QPointF at, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
void press(QWidget* w, QPointF at, Qt::MouseButton button = Qt::LeftButton,
           Qt::KeyboardModifiers modifiers = Qt::NoModifier);
void release(QWidget* w, QPointF at, Qt::MouseButton button = Qt::LeftButton,
             Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// Moves there, presses and releases.
void click(QWidget* w, QPointF at, Qt::MouseButton button = Qt::LeftButton,
           Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// A drag as a trackpad gives it, to the fraction of a point: pressed, moved and let go on the
// view under the pointer (which has the grab from the press on), with no rounding to pixels.
void grab(QWidget* w, QPointF at);
void dragTo(QWidget* w, QPointF at);
void letGo(QWidget* w, QPointF at);
// Wheel notches over the point (negative: up), to what lies under it.
void turnWheel(QWidget* w, QPointF at, int notches);

// A key pressed and released in the window holding w; it goes to that window's focused widget.
// The modifier keys are pressed before it and released after it, as fingers do.
void pressKey(QWidget* w, int qtKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
              const QString& text = {});
// Each character as a key with its text, in the window holding w.
void typeText(QWidget* w, const QString& text);

// The alert (or prompt) the application shows now, if any: it takes the keys and clicks.
QWidget* openAlert();

// "the button "Start"", "the slider 1001": how errors name a control of this kind.
std::string describe(QWidget* w);

} // namespace scripting::hands
