#include "zen/ZenView.h"

#include "app/BlackoutController.h"
#include "appkit/Colors.h"
#include "platform/RunLoop.h"
#include "ui/CapsuleButtons.h"

#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

#include <cmath>

namespace zen {

namespace {

constexpr double kBreath = 12;     // seconds: 4 in, 2 held, 6 out
constexpr double kHideAfter = 2.5; // seconds without activity before the bar fades

// Core Animation's ease-in-ease-out, near enough: a smooth step on 0..1.
double easeInOut(double x) {
    return x < 0.5 ? 2 * x * x : 1 - std::pow(-2 * x + 2, 2) / 2;
}

QColor withAlpha(appkit::SystemColor c, double alpha) {
    return appkit::color(c).withAlphaComponent(alpha).resolve(false);
}

void styleCapsule(ui::CustomCapsuleButton* b, appkit::SystemColor c) {
    b->setNormalBgColor(withAlpha(c, 0.18));
    b->setHoverBgColor(withAlpha(c, 0.28));
    b->setActiveBgColor(withAlpha(c, 0.38));
    b->setContentTintColor(appkit::color(c).resolve(false));
}

} // namespace

ZenBlackView::ZenBlackView(QSize frame, QWidget* parent) : QWidget(parent) {
    resize(frame);
}

void ZenBlackView::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), Qt::black);
}

ZenView::ZenView(QSize frame, int duration, bool isEnglish, QWidget* parent)
    : QWidget(parent), totalDuration_(duration), isEnglish_(isEnglish),
      guideLabel_(new QLabel(this)), timerLabel_(new QLabel(this)), controlBar_(new QWidget(this)),
      barOpacity_(new QGraphicsOpacityEffect(controlBar_)),
      pauseBtn_(new ui::CustomCapsuleButton("", controlBar_)),
      stopBtn_(
          new ui::CustomCapsuleButton(isEnglish ? "Stop Meditation" : "명상 종료", controlBar_)) {
    resize(frame);
    breathBegin_ = now();

    QFont guide = font();
    guide.setPixelSize(18);
    guide.setWeight(QFont::Medium);
    guideLabel_->setFont(guide);
    guideLabel_->setStyleSheet("color: rgba(255,255,255,0.4)");
    guideLabel_->setAlignment(Qt::AlignCenter);
    QFont digits("monospace");
    digits.setPixelSize(14);
    timerLabel_->setFont(digits);
    timerLabel_->setStyleSheet("color: rgba(255,255,255,0.15)");
    timerLabel_->setAlignment(Qt::AlignCenter);

    // The bar: 264 x 68, two pills of equal width, 16 in from each side, 36 high.
    controlBar_->setFixedSize(264, 68);
    controlBar_->setGraphicsEffect(barOpacity_);
    auto* row = new QHBoxLayout(controlBar_);
    row->setContentsMargins(16, 16, 16, 16);
    row->setSpacing(12);
    for (auto* b : {pauseBtn_, stopBtn_}) {
        b->setCornerRadius(18);
        b->setFixedHeight(36);
        row->addWidget(b, 1);
    }
    styleCapsule(stopBtn_, appkit::SystemColor::systemRed);
    pauseBtn_->setAction([this](appkit::Button&) {
        if (onPauseToggle) onPauseToggle();
    });
    stopBtn_->setAction([this](appkit::Button&) {
        if (onStop) onStop();
    });
    applyPauseButtonState();
    layoutLabels();
    updateTime(duration);
    isCursorHidden_ = false;
    showHUDControlBar();
}

ZenView::~ZenView() {
    if (hideTimer_) hideTimer_->invalidate();
}

double ZenView::now() const {
    return platform::mainQueue().now();
}

void ZenView::layoutLabels() {
    const QPoint centre = rect().center();
    guideLabel_->setGeometry(0, centre.y() - 100 - 15, width(), 30);
    timerLabel_->setGeometry(0, centre.y() + 100 - 10, width(), 20);
    controlBar_->move((width() - controlBar_->width()) / 2, height() - 40 - controlBar_->height());
}

void ZenView::resizeEvent(QResizeEvent*) {
    layoutLabels();
}

QRect ZenView::controlBarFrame() const {
    return controlBar_->geometry();
}

void ZenView::applyPauseButtonState() {
    pauseBtn_->setTitle(isPaused_ ? (isEnglish_ ? "Resume" : "재개")
                                  : (isEnglish_ ? "Pause" : "일시정지"));
    styleCapsule(pauseBtn_,
                 isPaused_ ? appkit::SystemColor::systemGreen : appkit::SystemColor::systemOrange);
}

void ZenView::updateTime(int seconds) {
    timerLabel_->setText(QString::asprintf("%d:%02d", seconds / 60, seconds % 60));
    const int k = ((totalDuration_ - seconds) % 12 + 12) % 12;
    const char* text = k < 4   ? (isEnglish_ ? "Inhale..." : "천천히 들이마쉬세요...")
                       : k < 6 ? (isEnglish_ ? "Hold..." : "숨을 잠깐 멈추세요...")
                               : (isEnglish_ ? "Exhale..." : "천천히 내쉬세요...");
    guideLabel_->setText(QString::fromUtf8(text));
    update();
}

std::string ZenView::timerText() const {
    return timerLabel_->text().toStdString();
}

std::string ZenView::guideText() const {
    return guideLabel_->text().toStdString();
}

double ZenView::dotScale() const {
    const double elapsed = isPaused_ ? breathOffset_ : now() - breathBegin_;
    const double t = std::fmod(std::max(0.0, elapsed), kBreath);
    if (t < 4) return 1.0 + 1.8 * easeInOut(t / 4);
    if (t < 6) return 2.8;
    return 2.8 - 1.8 * easeInOut((t - 6) / 6);
}

std::string ZenView::breathPhase() const {
    const double elapsed = isPaused_ ? breathOffset_ : now() - breathBegin_;
    const double t = std::fmod(std::max(0.0, elapsed), kBreath);
    return t < 4 ? "inhale" : t < 6 ? "hold" : "exhale";
}

void ZenView::setPaused(bool paused) {
    if (paused == isPaused_) return;
    if (paused) {
        breathOffset_ = now() - breathBegin_; // the dot stops where it is
        isPaused_ = true;
    } else {
        breathBegin_ = now() - breathOffset_; // and goes on from there
        isPaused_ = false;
    }
    applyPauseButtonState();
    if (paused) showHUDControlBar();
    update();
}

double ZenView::controlBarAlpha() const {
    if (barSeconds_ <= 0) return barTo_;
    const double x = std::clamp((now() - barStart_) / barSeconds_, 0.0, 1.0);
    return barFrom_ + (barTo_ - barFrom_) * x;
}

void ZenView::animateBar(double to, double seconds) {
    barFrom_ = controlBarAlpha();
    barTo_ = to;
    barStart_ = now();
    barSeconds_ = seconds;
    ++barGeneration_;
}

void ZenView::showHUDControlBar() {
    if (hideTimer_) hideTimer_->invalidate();
    hideTimer_.reset();
    BlackoutController::shared().setCursorHidden(false);
    isCursorHidden_ = false;
    if (controlBarAlpha() < 1.0) animateBar(1.0, 0.25);
    if (!isPaused_) {
        QPointer<ZenView> self(this);
        hideTimer_ =
            platform::mainQueue().scheduleRepeating(kHideAfter, [self](platform::Timer& t) {
                t.invalidate();
                if (self) self->autoHideCheck();
            });
    }
    update();
}

void ZenView::autoHideCheck() {
    if (isPaused_) return;
    if (pointer_ && controlBar_->geometry().contains(pointer_->toPoint())) {
        QPointer<ZenView> self(this);
        hideTimer_ =
            platform::mainQueue().scheduleRepeating(kHideAfter, [self](platform::Timer& t) {
                t.invalidate();
                if (self) self->autoHideCheck();
            });
        return;
    }
    animateBar(0.0, 0.35);
    const uint64_t generation = barGeneration_;
    QPointer<ZenView> self(this);
    platform::mainQueue().asyncAfter(0.35, [self, generation] {
        if (!self || self->barGeneration_ != generation) return; // shown again meanwhile
        if (self->controlBarAlpha() == 0 && !self->isCursorHidden_) {
            BlackoutController::shared().setCursorHidden(true);
            self->isCursorHidden_ = true;
        }
        self->update();
    });
    update();
}

void ZenView::mouseDownAt(std::optional<QPointF> location) {
    if (location) {
        pointer_ = location;
        for (auto* b : {pauseBtn_, stopBtn_}) {
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

void ZenView::mouseMoved() {
    showHUDControlBar();
}

void ZenView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), Qt::black);
    const double barAlpha = controlBarAlpha();
    barOpacity_->setEnabled(barAlpha < 1.0); // drawn plainly when fully shown
    barOpacity_->setOpacity(barAlpha);
    // The dot: 10 points across at rest, with a red glow of radius 15.
    const QPointF centre = QRectF(rect()).center();
    const double radius = 5 * dotScale();
    QRadialGradient glow(centre, radius + 15);
    glow.setColorAt(0, withAlpha(appkit::SystemColor::systemRed, 0.8));
    glow.setColorAt(1, QColor(0, 0, 0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(centre, radius + 15, radius + 15);
    p.setBrush(withAlpha(appkit::SystemColor::systemRed, 0.85));
    p.drawEllipse(centre, radius, radius);
}

} // namespace zen
