#pragma once
// A window's content as plain Qt sees it, one line per control: the kind (label, checkbox,
// button, slider, pop-up, field), where it sits, its font and its text. The control window is
// written out this way, and the start-up yardstick builds the same content from it with plain Qt
// widgets; both are read back with describe(), so a test can tell when they part.
//
// Lines, fields split by tabs (tabs, line breaks and backslashes in texts are escaped):
//   window  W H TITLE
//   scroll  X Y W H CONTENT_W CONTENT_H          (at most one; its content is container 1)
//   KIND    CONTAINER X Y W H FONT FLAGS TEXT [ITEM...]
// CONTAINER is 0 for the window, 1 for the scroll view's content. FONT is POINTS/WEIGHT (or
// pxPIXELS/WEIGHT), with /FAMILY when it is not the application's. FLAGS: d disabled, c checked,
// w word-wrapped, - none. A slider's TEXT is "MIN MAX VALUE h|v"; a pop-up's is its selected
// index, followed by its items.

#include <QString>
#include <QStringList>

class QWidget;

namespace yardstick {

QString describe(QWidget* window);

// Fills window (a top-level, unshown) with the content a description names, as a plain Qt
// program would: each control placed where the description says, no layouts. False, with the
// reason in error, when a line cannot be read.
bool build(const QString& description, QWidget* window, QString* error);

} // namespace yardstick
