#pragma once
// As on a Mac, the mouse wheel over a pop-up or a slider scrolls the view that holds it and
// never changes the control's value.

class QWidget;

namespace appkit {

// Hands every wheel event that reaches control to the nearest scroll view around it, or drops
// it when there is none.
void wheelScrollsOnly(QWidget* control);

} // namespace appkit
