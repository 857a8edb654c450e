#pragma once
// The translucent card shown for a moment when a Pomodoro run starts ("Focus Mode Started").
// It never takes a click. Its fades run on the run loop's clock.

#include "appkit/Panel.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <string>

namespace pomodoro {

class StartOverlayView : public QWidget {
  public:
    StartOverlayView(QSize size, int durationMin, bool isEnglish);
    void animateIn();
    void animateOut();
    // Now: the veil's opacity, the card's scale and opacity.
    double contentOpacity() const;
    double cardScale() const;
    double cardOpacity() const;
    std::string titleText() const { return title_; }
    std::string lineText() const { return line_; }

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    double now() const;
    std::string title_, line_;
    double inAt_ = -1, outAt_ = -1;
};

class PomodoroStartOverlayWindow : public appkit::Panel {
  public:
    PomodoroStartOverlayWindow(int durationMin, bool isEnglish, platform::Rect screenFrame);
    ~PomodoroStartOverlayWindow() override;
    void animateIn();
    // Fades out over 0.3 s, then runs the completion.
    void animateOut(std::function<void()> completion);
    StartOverlayView* view() const { return view_.get(); }

  private:
    std::unique_ptr<StartOverlayView> view_;
};

} // namespace pomodoro
