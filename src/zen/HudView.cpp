#include "zen/HudView.h"

#include "app/BlackoutController.h"
#include "appkit/Colors.h"
#include "platform/RunLoop.h"
#include "ui/CapsuleButtons.h"

#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QPointer>

namespace zen {

namespace {

constexpr double kHideAfter = 2.5; // seconds without activity before the bar fades

QColor withAlpha(appkit::SystemColor c, double alpha) {
    return appkit::color(c).withAlphaComponent(alpha).resolve(false);
}

} // namespace

void styleCapsule(ui::CustomCapsuleButton* b, appkit::SystemColor c) {
    b->setNormalBgColor(withAlpha(c, 0.18));
    b->setHoverBgColor(withAlpha(c, 0.28));
    b->setActiveBgColor(withAlpha(c, 0.38));
    b->setContentTintColor(appkit::color(c).resolve(false));
}

HudView::HudView(QSize frame, QWidget* parent) : QWidget(parent) {
    resize(frame);
}

HudView::~HudView() {
    if (hideTimer_) hideTimer_->invalidate();
}

double HudView::now() const {
    return platform::mainQueue().now();
}

void HudView::setUpControlBar(int width, const std::vector<ui::CustomCapsuleButton*>& buttons) {
    controlBar_ = new QWidget(this);
    barOpacity_ = new QGraphicsOpacityEffect(controlBar_);
    controlBar_->setGraphicsEffect(barOpacity_);
    auto* row = new QHBoxLayout(controlBar_);
    row->setContentsMargins(16, 16, 16, 16);
    row->setSpacing(12);
    // The buttons share the bar equally: it widens when a title, in the font and style it is
    // drawn with, needs more.
    int widest = 0;
    for (auto* b : buttons) {
        b->setParent(controlBar_);
        b->setCornerRadius(18);
        b->setFixedHeight(36);
        b->ensurePolished();
        widest = std::max(widest, b->sizeHint().width());
        row->addWidget(b, 1);
    }
    const int count = int(buttons.size());
    controlBar_->setFixedSize(
        std::max(width, 2 * 16 + 12 * std::max(0, count - 1) + count * widest), 68);
    buttons_ = buttons;
    // Laid out now: the view may never be shown on a host screen, yet clicks find its buttons.
    row->activate();
    layoutContent();
    controlBar_->move((this->width() - controlBar_->width()) / 2, height() - 40 - 68);
}

void HudView::resizeEvent(QResizeEvent*) {
    layoutContent();
    if (controlBar_) controlBar_->move((width() - controlBar_->width()) / 2, height() - 40 - 68);
}

QRect HudView::controlBarFrame() const {
    return controlBar_ ? controlBar_->geometry() : QRect();
}

void HudView::applyBarAlpha() {
    if (!barOpacity_) return;
    const double alpha = controlBarAlpha();
    barOpacity_->setEnabled(alpha < 1.0); // drawn plainly when fully shown
    barOpacity_->setOpacity(alpha);
}

double HudView::controlBarAlpha() const {
    if (barSeconds_ <= 0) return barTo_;
    const double x = std::clamp((now() - barStart_) / barSeconds_, 0.0, 1.0);
    return barFrom_ + (barTo_ - barFrom_) * x;
}

void HudView::animateBar(double to, double seconds) {
    barFrom_ = controlBarAlpha();
    barTo_ = to;
    barStart_ = now();
    barSeconds_ = seconds;
    ++barGeneration_;
}

void HudView::scheduleHideCheck() {
    QPointer<HudView> self(this);
    hideTimer_ = platform::mainQueue().scheduleRepeating(kHideAfter, [self](platform::Timer& t) {
        t.invalidate();
        if (self) self->autoHideCheck();
    });
}

void HudView::showHUDControlBar() {
    if (hideTimer_) hideTimer_->invalidate();
    hideTimer_.reset();
    BlackoutController::shared().setCursorHidden(false);
    isCursorHidden_ = false;
    // Also when a fade has only just begun (the bar still fully shown): it is called off.
    if (controlBarAlpha() < 1.0 || barTo_ < 1.0) animateBar(1.0, 0.25);
    if (!isPaused_) scheduleHideCheck();
    update();
}

void HudView::autoHideCheck() {
    if (isPaused_) return;
    if (pointer_ && controlBar_ && controlBar_->geometry().contains(pointer_->toPoint())) {
        scheduleHideCheck();
        return;
    }
    animateBar(0.0, 0.35);
    const uint64_t generation = barGeneration_;
    QPointer<HudView> self(this);
    platform::mainQueue().asyncAfter(0.35, [self, generation] {
        if (!self || self->barGeneration_ != generation) return; // shown again meanwhile
        // The fade is over whatever the clock's rounding says: a bar a hair above 0 is no
        // reason to leave the cursor on a dark screen.
        self->barFrom_ = self->barTo_;
        self->barSeconds_ = 0;
        if (self->controlBarAlpha() == 0 && !self->isCursorHidden_) {
            BlackoutController::shared().setCursorHidden(true);
            self->isCursorHidden_ = true;
        }
        self->update();
    });
    update();
}

void HudView::mouseDownAt(std::optional<QPointF> location) {
    if (location) {
        pointer_ = location;
        for (auto* b : buttons_) {
            const QRect frame(b->mapTo(this, QPoint(0, 0)), b->size());
            if (controlBarAlpha() > 0 && frame.contains(location->toPoint())) {
                showHUDControlBar();
                b->performClick();
                return;
            }
        }
    }
    showHUDControlBar();
}

void HudView::mouseMoved() {
    showHUDControlBar();
}

} // namespace zen
