#include "ui/CardView.h"

#include "appkit/Button.h"
#include "appkit/Colors.h"
#include "platform/Platform.h"
#include "platform/RunLoop.h"
#include "platform/UserDefaults.h"
#include "ui/ClickableTitleStackView.h"

#include <QPainter>

namespace ui {

namespace {
constexpr double kCornerRadius = 10;
constexpr int kHeaderInset = 32;
} // namespace

CardView::CardView(QWidget* parent) : appkit::StackView(appkit::Orientation::vertical, parent) {}

void CardView::paintEvent(QPaintEvent*) {
    const bool dark = appkit::drawsDark(*this);
    QPainter p(this);
    plate_.paint(p, rect(), devicePixelRatioF(),
                 {kCornerRadius,
                  dark ? QColor::fromRgbF(0.16, 0.16, 0.16, 1.0) : QColor::fromRgbF(0, 0, 0, 0.03),
                  dark ? QColor::fromRgbF(1, 1, 1, 0.12) : QColor::fromRgbF(0, 0, 0, 0.08), 1});
}

CollapsibleCard::CollapsibleCard(std::string key, QWidget* parent)
    : CardView(parent), key_(std::move(key)) {}

void CollapsibleCard::setup(QWidget* titleView, const std::vector<QWidget*>& contentViews) {
    header_ = new ClickableTitleStackView;
    header_->setSpacing(8);
    header_->addArrangedSubview(titleView);
    header_->addFlexibleSpace();
    QPointer<CollapsibleCard> self(this);
    header_->onClick = [self] {
        if (self) self->toggleCollapsed();
    };

    auto* arrow = new appkit::Button(appkit::ButtonType::push, "");
    arrow->setBordered(false);
    arrow->setAction([self](appkit::Button&) {
        if (self) self->toggleCollapsed();
    });
    arrowButton_ = arrow;
    header_->addArrangedSubview(arrow);

    if (width() > kHeaderInset) header_->setFixedWidth(width() - kHeaderInset);
    addArrangedSubview(header_);
    for (auto* view : contentViews) {
        contentViews_.push_back(view);
        addArrangedSubview(view);
    }

    isCollapsed_ = platform::current().defaults->boolValue(key_).value_or(false);
    showArrow();
    for (auto* view : contentViews_) {
        // A view never shown nor hidden appears with the card; showing it now would size it
        // (and lay out every text in it) before the window exists.
        if (!isCollapsed_ && !view->testAttribute(Qt::WA_WState_ExplicitShowHide)) continue;
        view->setVisible(!isCollapsed_);
    }
}

appkit::Button* CollapsibleCard::arrowButton() const {
    return arrowButton_.data();
}

void CollapsibleCard::showArrow() {
    if (arrowButton_)
        arrowButton_->setImage(isCollapsed_ ? "chevron.down" : "chevron.up",
                               isCollapsed_ ? "Expand" : "Collapse");
}

void CollapsibleCard::toggleCollapsed() {
    isCollapsed_ = !isCollapsed_;
    auto& defaults = *platform::current().defaults;
    defaults.set(key_, isCollapsed_);
    defaults.synchronize();
    showArrow();
    if (host_.hideScroller) host_.hideScroller();
    for (auto* view : contentViews_)
        view->setVisible(!isCollapsed_);
    if (host_.adjustHeight) host_.adjustHeight();
    // The group's completion, on the run loop's clock.
    QPointer<CollapsibleCard> self(this);
    platform::mainQueue().asyncAfter(animationSeconds, [self] {
        if (self && self->host_.updateScroller) self->host_.updateScroller();
    });
}

} // namespace ui
