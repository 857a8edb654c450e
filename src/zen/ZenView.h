#pragma once
// What a Zen run shows: on the primary screen a breathing dot, a guide that follows the breath,
// a small countdown and a control bar that hides itself; on every other screen plain black.
// Animations run on the run loop's clock, so they are the same in virtual time.

#include <QWidget>

#include <functional>
#include <optional>
#include <string>

class QLabel;
class QGraphicsOpacityEffect;

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

class ZenView : public QWidget {
  public:
    ZenView(QSize frame, int duration, bool isEnglish, QWidget* parent = nullptr);
    ~ZenView() override;

    std::function<void()> onPauseToggle;
    std::function<void()> onStop;

    void updateTime(int seconds);
    void setPaused(bool paused);
    bool isPaused() const { return isPaused_; }
    void showHUDControlBar();
    // A click where the person clicked (view points): a button there is pressed; any click
    // brings the bar back.
    void mouseDownAt(std::optional<QPointF> location);
    void mouseMoved();
    // Where the pointer rests, for the auto-hide check; none: outside the view.
    void setPointer(std::optional<QPointF> location) { pointer_ = location; }

    // What it shows now.
    std::string timerText() const;
    std::string guideText() const;
    double dotScale() const;         // 1.0 to 2.8
    std::string breathPhase() const; // "inhale", "hold", "exhale"
    double controlBarAlpha() const;
    bool isCursorHidden() const { return isCursorHidden_; }
    ui::CustomCapsuleButton* pauseButton() const { return pauseBtn_; }
    ui::CustomCapsuleButton* stopButton() const { return stopBtn_; }
    QRect controlBarFrame() const;

  protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;

  private:
    void applyPauseButtonState();
    void autoHideCheck();
    void animateBar(double to, double seconds);
    double now() const;
    void layoutLabels();

    int totalDuration_;
    bool isEnglish_;
    bool isPaused_ = false;
    bool isCursorHidden_ = false;
    QLabel* guideLabel_;
    QLabel* timerLabel_;
    QWidget* controlBar_;
    QGraphicsOpacityEffect* barOpacity_;
    ui::CustomCapsuleButton* pauseBtn_;
    ui::CustomCapsuleButton* stopBtn_;
    std::shared_ptr<platform::Timer> hideTimer_;
    std::optional<QPointF> pointer_;
    // The breath: started at breathBegin_; while paused, frozen at breathOffset_ seconds.
    double breathBegin_ = 0;
    double breathOffset_ = 0;
    // The bar's fade: from barFrom_ to barTo_ between barStart_ and barStart_ + barSeconds_.
    double barFrom_ = 1, barTo_ = 1, barStart_ = 0, barSeconds_ = 0;
    uint64_t barGeneration_ = 0;
};

} // namespace zen
