#include "zen/ZenView.h"

#include "app/BlackoutController.h"
#include "appkit/Colors.h"
#include "platform/RunLoop.h"
#include "ui/CapsuleButtons.h"

#include <QLabel>
#include <QPainter>

#include <cmath>

namespace zen {

namespace {

constexpr double kBreath = 12; // seconds: 4 in, 2 held, 6 out

// Core Animation's ease-in-ease-out, near enough: a smooth step on 0..1.
double easeInOut(double x) {
    return x < 0.5 ? 2 * x * x : 1 - std::pow(-2 * x + 2, 2) / 2;
}

QColor withAlpha(appkit::SystemColor c, double alpha) {
    return appkit::color(c).withAlphaComponent(alpha).resolve(false);
}

} // namespace

ZenBlackView::ZenBlackView(QSize frame, QWidget* parent) : QWidget(parent) {
    resize(frame);
}

void ZenBlackView::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), Qt::black);
}

ZenView::ZenView(QSize frame, int duration, bool isEnglish, QWidget* parent)
    : HudView(frame, parent), totalDuration_(duration), isEnglish_(isEnglish),
      guideLabel_(new QLabel(this)), timerLabel_(new QLabel(this)),
      pauseBtn_(new ui::CustomCapsuleButton("")),
      stopBtn_(new ui::CustomCapsuleButton(isEnglish ? "Stop Meditation" : "명상 종료")) {
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

    setUpControlBar(264, {pauseBtn_, stopBtn_});
    styleCapsule(stopBtn_, appkit::SystemColor::systemRed);
    pauseBtn_->setAction([this](appkit::Button&) {
        if (onPauseToggle) onPauseToggle();
    });
    stopBtn_->setAction([this](appkit::Button&) {
        if (onStop) onStop();
    });
    applyPauseButtonState();
    updateTime(duration);
    showHUDControlBar();
}

void ZenView::layoutContent() {
    const QPoint centre = rect().center();
    guideLabel_->setGeometry(0, centre.y() - 100 - 15, width(), 30);
    timerLabel_->setGeometry(0, centre.y() + 100 - 10, width(), 20);
}

void ZenView::applyPauseButtonState() {
    pauseBtn_->setTitle(isPaused() ? (isEnglish_ ? "Resume" : "재개")
                                   : (isEnglish_ ? "Pause" : "일시정지"));
    styleCapsule(pauseBtn_,
                 isPaused() ? appkit::SystemColor::systemGreen : appkit::SystemColor::systemOrange);
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
    const double elapsed = isPaused() ? breathOffset_ : now() - breathBegin_;
    const double t = std::fmod(std::max(0.0, elapsed), kBreath);
    if (t < 4) return 1.0 + 1.8 * easeInOut(t / 4);
    if (t < 6) return 2.8;
    return 2.8 - 1.8 * easeInOut((t - 6) / 6);
}

std::string ZenView::breathPhase() const {
    const double elapsed = isPaused() ? breathOffset_ : now() - breathBegin_;
    const double t = std::fmod(std::max(0.0, elapsed), kBreath);
    return t < 4 ? "inhale" : t < 6 ? "hold" : "exhale";
}

void ZenView::setPaused(bool paused) {
    if (paused == isPaused()) return;
    if (paused)
        breathOffset_ = now() - breathBegin_; // the dot stops where it is
    else
        breathBegin_ = now() - breathOffset_; // and goes on from there
    setPausedFlag(paused);
    applyPauseButtonState();
    if (paused) showHUDControlBar();
    update();
}

void ZenView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), Qt::black);
    applyBarAlpha();
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
