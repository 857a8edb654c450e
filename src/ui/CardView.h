#pragma once
// A rounded card that follows the light or dark appearance, and a card whose body folds away
// and remembers it under a preference key.

#include "appkit/Button.h"
#include "appkit/RoundedPlate.h"
#include "appkit/StackView.h"

#include <QPointer>

#include <functional>
#include <string>
#include <vector>

namespace ui {

class CardView : public appkit::StackView {
  public:
    explicit CardView(QWidget* parent = nullptr);

  protected:
    // Resolved on every paint, so an appearance change repaints it without a rebuild.
    void paintEvent(QPaintEvent* event) override;

  private:
    appkit::RoundedPlate plate_;
};

class ClickableTitleStackView;

// What a card asks of the window it sits in while it folds or unfolds.
struct CollapsibleCardHost {
    std::function<void()> hideScroller;   // before the change
    std::function<void()> adjustHeight;   // inside the animation
    std::function<void()> updateScroller; // when the animation has ended
};

class CollapsibleCard : public CardView {
  public:
    explicit CollapsibleCard(std::string key, QWidget* parent = nullptr);

    void setup(QWidget* titleView, const std::vector<QWidget*>& contentViews);
    void toggleCollapsed();
    void setHost(CollapsibleCardHost host) { host_ = std::move(host); }

    const std::string& key() const { return key_; }
    bool isCollapsed() const { return isCollapsed_; }
    const std::vector<QWidget*>& contentViews() const { return contentViews_; }
    appkit::Button* arrowButton() const;
    ClickableTitleStackView* header() const { return header_; }

    static constexpr double animationSeconds = 0.25;

  private:
    void showArrow();

    std::string key_;
    bool isCollapsed_ = false;
    std::vector<QWidget*> contentViews_;
    QPointer<appkit::Button> arrowButton_;
    ClickableTitleStackView* header_ = nullptr;
    CollapsibleCardHost host_;
};

} // namespace ui
