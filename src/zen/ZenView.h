#pragma once
// What a Zen run shows: on the primary screen a breathing dot, a guide that follows the breath,
// a small countdown and a control bar that hides itself; on every other screen plain black.
// Animations run on the run loop's clock, so they are the same in virtual time.

#include "zen/HudView.h"

#include <QWidget>

#include <functional>
#include <optional>
#include <string>

class QLabel;

namespace platform {
class Timer;
}
namespace ui {
class CustomCapsuleButton;
}

namespace zen {

class ZenBlackView : public QWidget {
  public:
    explicit ZenBlackView(QSize frame, QWidget* parent = nullptr);

  protected:
    void paintEvent(QPaintEvent*) override;
};

class ZenView : public HudView {
  public:
    ZenView(QSize frame, int duration, bool isEnglish, QWidget* parent = nullptr);

    std::function<void()> onPauseToggle;
    std::function<void()> onStop;
    void updateTime(int seconds);
    void setPaused(bool paused);

    // What it shows now.
    std::string timerText() const;
    std::string guideText() const;
    double dotScale() const;         // 1.0 to 2.8
    std::string breathPhase() const; // "inhale", "hold", "exhale"
    ui::CustomCapsuleButton* pauseButton() const { return pauseBtn_; }
    ui::CustomCapsuleButton* stopButton() const { return stopBtn_; }

  protected:
    void paintEvent(QPaintEvent*) override;
    void layoutContent() override;

  private:
    void applyPauseButtonState();

    int totalDuration_;
    bool isEnglish_;
    QLabel* guideLabel_;
    QLabel* timerLabel_;
    ui::CustomCapsuleButton* pauseBtn_;
    ui::CustomCapsuleButton* stopBtn_;
    // The breath: started at breathBegin_; while paused, frozen at breathOffset_ seconds.
    double breathBegin_ = 0;
    double breathOffset_ = 0;
};

} // namespace zen
