#include "pomodoro/PomodoroStartOverlay.h"

#include "platform/RunLoop.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace pomodoro {

namespace {

constexpr int kStatusWindowLevel = 25;
constexpr double kCardWidth = 380, kCardHeight = 240;

double easeOut(double x) {
    return 1 - (1 - x) * (1 - x);
}
double easeIn(double x) {
    return x * x;
}
double progress(double since, double seconds) {
    return std::clamp(since / seconds, 0.0, 1.0);
}

// A damped spring from 0 to 1 (damping 16, stiffness 160, mass 1), as the scale's path.
double spring(double t) {
    const double omega = std::sqrt(160.0), zeta = 16.0 / (2 * std::sqrt(160.0));
    if (t <= 0) return 0;
    if (zeta < 1) {
        const double wd = omega * std::sqrt(1 - zeta * zeta);
        return 1 - std::exp(-zeta * omega * t) *
                       (std::cos(wd * t) + zeta * omega / wd * std::sin(wd * t));
    }
    return 1 - std::exp(-omega * t) * (1 + omega * t);
}

} // namespace

StartOverlayView::StartOverlayView(QSize size, int durationMin, bool isEnglish)
    : title_(isEnglish ? "Focus Mode Started" : "뽀모도로 집중 시작!") {
    resize(size);
    char line[160];
    if (isEnglish)
        std::snprintf(line, sizeof line, "Stay completely focused for %d minutes.", durationMin);
    else
        std::snprintf(line, sizeof line, "%d분 동안 온전히 몰입해 보세요.", durationMin);
    line_ = line;
}

double StartOverlayView::now() const {
    return platform::mainQueue().now();
}

void StartOverlayView::animateIn() {
    inAt_ = now();
    update();
}

void StartOverlayView::animateOut() {
    outAt_ = now();
    update();
}

double StartOverlayView::contentOpacity() const {
    if (outAt_ >= 0) return 1 - easeIn(progress(now() - outAt_, 0.3));
    return inAt_ < 0 ? 0 : easeOut(progress(now() - inAt_, 0.4));
}

double StartOverlayView::cardScale() const {
    if (outAt_ >= 0) return 1 - 0.1 * easeIn(progress(now() - outAt_, 0.3));
    return inAt_ < 0 ? 0.8 : 0.8 + 0.2 * spring(now() - inAt_);
}

double StartOverlayView::cardOpacity() const {
    if (outAt_ >= 0) return 1 - easeIn(progress(now() - outAt_, 0.25));
    return inAt_ < 0 ? 0 : easeOut(progress(now() - inAt_, 0.3));
}

void StartOverlayView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    // The full-screen veil: a dark vibrant blur, drawn as a translucent dark wash.
    p.setOpacity(contentOpacity());
    p.fillRect(rect(), QColor(20, 20, 24, 110));
    p.setOpacity(contentOpacity() * cardOpacity());
    p.translate(width() / 2.0, height() / 2.0);
    p.scale(cardScale(), cardScale());
    const QRectF card(-kCardWidth / 2, -kCardHeight / 2, kCardWidth, kCardHeight);
    QPainterPath shape;
    shape.addRoundedRect(card.translated(0, 8), 24, 24);
    p.fillPath(shape, QColor(0, 0, 0, 60)); // its shadow, 8 points down
    shape.clear();
    shape.addRoundedRect(card, 24, 24);
    p.fillPath(shape, QColor(40, 40, 46, 235));
    p.setPen(QPen(QColor(255, 255, 255, 31), 1));
    p.drawPath(shape);

    // The stack: 32 in from every side, 16 between the lines.
    QFont emoji = font();
    emoji.setPixelSize(52);
    QFont title = font();
    title.setPixelSize(22);
    title.setBold(true);
    QFont body = font();
    body.setPixelSize(13);
    const double h1 = QFontMetricsF(emoji).height(), h2 = QFontMetricsF(title).height(),
                 h3 = QFontMetricsF(body).height();
    double y = -(h1 + h2 + h3 + 32) / 2;
    const double w = kCardWidth - 64;
    p.setFont(emoji);
    p.setPen(Qt::white);
    p.drawText(QRectF(-w / 2, y, w, h1), Qt::AlignCenter, QString::fromUtf8("🍅"));
    y += h1 + 16;
    p.setFont(title);
    p.drawText(QRectF(-w / 2, y, w, h2), Qt::AlignCenter, QString::fromStdString(title_));
    y += h2 + 16;
    p.setFont(body);
    p.setPen(QColor(255, 255, 255, 166));
    p.drawText(QRectF(-w / 2, y, w, h3), Qt::AlignCenter | Qt::TextWordWrap,
               QString::fromStdString(line_));
}

PomodoroStartOverlayWindow::PomodoroStartOverlayWindow(int durationMin, bool isEnglish,
                                                       platform::Rect screenFrame)
    : appkit::Panel(screenFrame,
                    appkit::StyleMask::borderless | appkit::StyleMask::nonactivatingPanel,
                    appkit::BackingStore::buffered, false, "pomodoro-start"),
      view_(std::make_unique<StartOverlayView>(
          QSize(int(screenFrame.width), int(screenFrame.height)), durationMin, isEnglish)) {
    setOpaque(false);
    setBackgroundColor({0, 0, 0, 0});
    setHasShadow(false);
    setLevel(kStatusWindowLevel);
    setIgnoresMouseEvents(true);
    setCollectionBehavior(appkit::CollectionBehavior::canJoinAllSpaces |
                          appkit::CollectionBehavior::fullScreenAuxiliary);
    setContentView(view_.get(), true);
}

PomodoroStartOverlayWindow::~PomodoroStartOverlayWindow() {
    orderOut();
}

void PomodoroStartOverlayWindow::animateIn() {
    view_->animateIn();
}

void PomodoroStartOverlayWindow::animateOut(std::function<void()> completion) {
    view_->animateOut();
    platform::mainQueue().asyncAfter(0.3, [completion = std::move(completion)] {
        if (completion) completion();
    });
}

} // namespace pomodoro
