#pragma once
// Finding the program's controls as a person does (by the title on them, the label beside them,
// or their tag) and working them with the hands: scrolled into sight, reached, clicked.

#include "appkit/ViewLookup.h"
#include "appkit/Window.h"
#include "backend/scripting/Arguments.h"

#include <QPointF>

#include <string>
#include <utility>
#include <vector>

class QComboBox;
class QWidget;

namespace scripting {

// The program's visible windows, the front-most first.
std::vector<appkit::Window*> programWindows();
// Shown within its window (its window may be hidden).
bool shownInWindow(QWidget* w);
// The text of a plain label beside a control in its row: how a person finds a slider, a pop-up
// or a field by what they read next to it.
std::string rowTitle(QWidget* control);

// The first control of type T, front-most window first, with that tag (a whole number) or
// with that row title; hidden ones too, so that the error can say it is hidden.
template <typename T> T* findControl(const std::string& tagOrTitle) {
    const auto tag = wholeArg(tagOrTitle, 1'000'000);
    T* hidden = nullptr;
    for (auto* window : programWindows())
        for (auto* control : appkit::subviews<T>(window->widget())) {
            if (!(tag ? control->tag() == int(*tag) : rowTitle(control) == tagOrTitle)) continue;
            if (shownInWindow(control)) return control;
            if (!hidden) hidden = control;
        }
    return hidden;
}

// "A B C": the first word, or a quoted first word with its spaces, and the rest.
std::pair<std::string, std::string> firstArg(const std::string& text);
// The last word, and what comes before it unquoted (for "TITLE VALUE" with spaces in the title).
std::pair<std::string, std::string> lastArg(const std::string& text);

// Where a person clicks a control: a checkbox's box, the middle of anything else.
QPointF clickPoint(QWidget* target);
// The part of a control that takes the mouse (the push button or checkbox inside a button).
QWidget* mouseTarget(QWidget* control);
// Scrolls the control into sight if a scroll view hides it, checks that a person can reach it
// there, and clicks it; false with error naming it when they cannot.
bool clickControl(QWidget* control, const std::string& name, std::string& error,
                  Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// Clicks a pop-up's list open, steps to the item with the arrow keys and chooses it with
// Return; false with error naming the pop-up when it cannot.
bool chooseItem(QComboBox* box, int index, const std::string& name, std::string& error);
// The same checks for a point of the control, scrolling first; the click is the caller's.
bool reachControl(QWidget* control, QPointF at, const std::string& name, std::string& error);

} // namespace scripting
