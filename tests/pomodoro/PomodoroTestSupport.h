#pragma once
// The default machine with the program launched, and what a Pomodoro run shows.

#include "support/PowerTestSupport.h"
#include "pomodoro/PomodoroBreakView.h"

#include <string>
#include <vector>

class PomodoroTest : public PowerTest {
  protected:
    std::string title() { return item().title(); }
    float slider(DisplayID id) { return controller().currentBrightnesses.at(id); }
    pomodoro::PomodoroBreakView* breakView() { return controller().pomodoroBreakView(); }
    size_t menuEntries() { return controller().statusMenu->items.size(); }
    void escapeHere() {
        mac().input().pressKeyInApplication(53);
        advance();
    }
};
