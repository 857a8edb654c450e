#pragma once
// The break screen on the primary display: the break countdown, the cycle progress and a
// self-hiding bar with Pause/Resume, Skip Break and Stop Pomodoro.

#include "zen/HudView.h"

#include <functional>
#include <string>

class QLabel;

namespace ui {
class CustomCapsuleButton;
}

namespace pomodoro {

class PomodoroBreakView : public zen::HudView {
  public:
    PomodoroBreakView(QSize frame, bool isEnglish, int64_t totalCycles, int64_t currentCycle,
                      QWidget* parent = nullptr);

    std::function<void()> onPauseToggle;
    std::function<void()> onEndBreak;
    std::function<void()> onStop;

    void updateTime(int64_t seconds);
    // Set by the engine, never by the view's own buttons.
    void setPaused(bool paused);

    std::string titleText() const;
    std::string timerText() const;
    std::string progressText() const;
    ui::CustomCapsuleButton* pauseButton() const { return pauseBtn_; }
    ui::CustomCapsuleButton* skipButton() const { return skipBtn_; }
    ui::CustomCapsuleButton* stopButton() const { return stopBtn_; }

  protected:
    void paintEvent(QPaintEvent*) override;
    void layoutContent() override;

  private:
    void applyPauseButtonState();

    bool isEnglish_;
    QLabel* titleLabel_;
    QLabel* timerLabel_;
    QLabel* progressLabel_;
    ui::CustomCapsuleButton* pauseBtn_;
    ui::CustomCapsuleButton* skipBtn_;
    ui::CustomCapsuleButton* stopBtn_;
};

} // namespace pomodoro
