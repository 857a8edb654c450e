#include "pomodoro/PomodoroBreakView.h"

#include "appkit/Colors.h"
#include "ui/CapsuleButtons.h"

#include <QLabel>
#include <QPainter>

namespace pomodoro {

namespace {

QLabel* centredLabel(QWidget* parent, int pixels, QFont::Weight weight, double alpha,
                     bool digits = false) {
    auto* l = new QLabel(parent);
    QFont f = digits ? QFont("monospace") : l->font();
    f.setPixelSize(pixels);
    f.setWeight(weight);
    l->setFont(f);
    l->setStyleSheet(QString("color: rgba(255,255,255,%1)").arg(alpha));
    l->setAlignment(Qt::AlignCenter);
    return l;
}

} // namespace

PomodoroBreakView::PomodoroBreakView(QSize frame, bool isEnglish, int64_t totalCycles,
                                     int64_t currentCycle, QWidget* parent)
    : zen::HudView(frame, parent), isEnglish_(isEnglish),
      titleLabel_(centredLabel(this, 32, QFont::Bold, 0.85)),
      timerLabel_(centredLabel(this, 64, QFont::DemiBold, 0.9, true)),
      progressLabel_(centredLabel(this, 18, QFont::Medium, 0.5)),
      pauseBtn_(new ui::CustomCapsuleButton("")),
      skipBtn_(new ui::CustomCapsuleButton(isEnglish ? "Skip Break" : "휴식 종료")),
      stopBtn_(new ui::CustomCapsuleButton(isEnglish ? "Stop Pomodoro" : "포모도로 종료")) {
    titleLabel_->setText(
        QString::fromUtf8(isEnglish ? "🧘♂️ Break Time" : "🧘♂️ 휴식 시간"));
    timerLabel_->setText("00:00");
    progressLabel_->setText(QString::fromStdString((isEnglish ? "Cycle " : "진행 상황: ") +
                                                   std::to_string(currentCycle) + " / " +
                                                   std::to_string(totalCycles)));

    setUpControlBar(440, {pauseBtn_, skipBtn_, stopBtn_});
    zen::styleCapsule(skipBtn_, appkit::SystemColor::systemBlue);
    zen::styleCapsule(stopBtn_, appkit::SystemColor::systemRed);
    pauseBtn_->setAction([this](appkit::Button&) {
        if (onPauseToggle) onPauseToggle();
    });
    skipBtn_->setAction([this](appkit::Button&) {
        if (onEndBreak) onEndBreak();
    });
    stopBtn_->setAction([this](appkit::Button&) {
        if (onStop) onStop();
    });
    applyPauseButtonState();
    layoutContent();
    showHUDControlBar();
}

void PomodoroBreakView::layoutContent() {
    // The three lines stacked 16 apart, the stack centred in the view.
    const int title = titleLabel_->sizeHint().height(), timer = timerLabel_->sizeHint().height(),
              progress = progressLabel_->sizeHint().height();
    int y = (height() - (title + timer + progress + 2 * 16)) / 2;
    titleLabel_->setGeometry(0, y, width(), title);
    y += title + 16;
    timerLabel_->setGeometry(0, y, width(), timer);
    y += timer + 16;
    progressLabel_->setGeometry(0, y, width(), progress);
}

void PomodoroBreakView::applyPauseButtonState() {
    pauseBtn_->setTitle(isPaused() ? (isEnglish_ ? "Resume" : "재개")
                                   : (isEnglish_ ? "Pause" : "일시정지"));
    zen::styleCapsule(pauseBtn_, isPaused() ? appkit::SystemColor::systemGreen
                                            : appkit::SystemColor::systemOrange);
}

void PomodoroBreakView::setPaused(bool paused) {
    setPausedFlag(paused);
    applyPauseButtonState();
    if (paused) showHUDControlBar();
    update();
}

void PomodoroBreakView::updateTime(int64_t seconds) {
    timerLabel_->setText(QString::asprintf("%02lld:%02lld", static_cast<long long>(seconds / 60),
                                           static_cast<long long>(seconds % 60)));
    update();
}

std::string PomodoroBreakView::titleText() const {
    return titleLabel_->text().toStdString();
}

std::string PomodoroBreakView::timerText() const {
    return timerLabel_->text().toStdString();
}

std::string PomodoroBreakView::progressText() const {
    return progressLabel_->text().toStdString();
}

void PomodoroBreakView::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), Qt::black);
    applyBarAlpha();
}

} // namespace pomodoro
