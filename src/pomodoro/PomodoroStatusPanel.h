#pragma once
// The small floating panel that shows a running Pomodoro timer: phase and cycle, the time left,
// Pause/Resume and Stop.

#include "appkit/Window.h"
#include "pomodoro/PomodoroPhase.h"

#include <functional>

class QLabel;

namespace ui {
class CustomCapsuleButton;
class CircularCloseButton;
} // namespace ui

namespace pomodoro {

class PomodoroStatusPanel : public appkit::Window {
  public:
    PomodoroStatusPanel(std::function<void()> onPauseToggle, std::function<void()> onStop,
                        bool isEnglish, bool isPaused, Phase phase, int64_t totalCycles,
                        int64_t currentCycle, int64_t secondsRemaining);

    std::function<void()> onClose;
    void updateTimeAndCycle(Phase phase, int64_t current, int64_t totalCycles, int64_t seconds);
    void setPausedState(bool paused);
    bool isPaused() const { return isPaused_; }

    std::string phaseText() const;
    std::string timerText() const;
    ui::CustomCapsuleButton* pauseButton() const { return pauseBtn_; }
    ui::CustomCapsuleButton* stopButton() const { return stopBtn_; }
    ui::CircularCloseButton* closeButton() const { return closeBtn_; }
    void pauseClicked();
    void stopClicked();
    void closeClicked();

  private:
    std::function<void()> onPauseToggle_;
    std::function<void()> onStop_;
    bool isEnglish_;
    bool isPaused_;
    QLabel* phaseLabel_;
    QLabel* timerLabel_;
    ui::CustomCapsuleButton* pauseBtn_;
    ui::CustomCapsuleButton* stopBtn_;
    ui::CircularCloseButton* closeBtn_;
};

} // namespace pomodoro
