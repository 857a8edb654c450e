#pragma once
// A full-screen black view with a control bar of capsule buttons near its bottom that hides
// itself, and the cursor with it, after 2.5 s without activity (the Zen view, the break view).

#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

class QGraphicsOpacityEffect;

namespace platform {
class Timer;
}
namespace ui {
class CustomCapsuleButton;
}
namespace appkit {
enum class SystemColor;
}

namespace zen {

// Background alphas 0.18 / 0.28 / 0.38 of the colour, tinted with it.
void styleCapsule(ui::CustomCapsuleButton* button, appkit::SystemColor color);

class HudView : public QWidget {
  public:
    explicit HudView(QSize frame, QWidget* parent = nullptr);
    ~HudView() override;

    bool isPaused() const { return isPaused_; }
    void showHUDControlBar();
    // A click where the person clicked (view points): a shown button there is pressed; any
    // click brings the bar back.
    void mouseDownAt(std::optional<QPointF> location);
    void mouseMoved();
    // Where the pointer rests, for the auto-hide check; none: outside the view.
    void setPointer(std::optional<QPointF> location) { pointer_ = location; }
    double controlBarAlpha() const;
    bool isCursorHidden() const { return isCursorHidden_; }
    QRect controlBarFrame() const;

  protected:
    // The bar: width x 68, centred, its bottom 40 above the view's; buttons of equal width 16 in
    // from its sides, 36 high, 12 apart, corner radius 18.
    void setUpControlBar(int width, const std::vector<ui::CustomCapsuleButton*>& buttons);
    void setPausedFlag(bool paused) { isPaused_ = paused; }
    // Applies the bar's current fade; called from paintEvent.
    void applyBarAlpha();
    double now() const;
    void resizeEvent(QResizeEvent*) override;
    virtual void layoutContent() {}

  private:
    void autoHideCheck();
    void scheduleHideCheck();
    void animateBar(double to, double seconds);

    QWidget* controlBar_ = nullptr;
    QGraphicsOpacityEffect* barOpacity_ = nullptr;
    std::vector<ui::CustomCapsuleButton*> buttons_;
    bool isPaused_ = false;
    bool isCursorHidden_ = false;
    std::shared_ptr<platform::Timer> hideTimer_;
    std::optional<QPointF> pointer_;
    // The bar's fade: from barFrom_ to barTo_ between barStart_ and barStart_ + barSeconds_.
    double barFrom_ = 1, barTo_ = 1, barStart_ = 0, barSeconds_ = 0;
    uint64_t barGeneration_ = 0;
};

} // namespace zen
