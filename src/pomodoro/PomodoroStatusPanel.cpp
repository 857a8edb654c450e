#include "pomodoro/PomodoroStatusPanel.h"

#include "appkit/Colors.h"
#include "appkit/StackView.h"
#include "ui/CapsuleButtons.h"
#include "zen/HudView.h"

#include <QLabel>
#include <QMouseEvent>

namespace pomodoro {

namespace {

// The panel moves with a drag anywhere on its background.
class DraggedByBackground : public QWidget {
  protected:
    void mousePressEvent(QMouseEvent* e) override {
        grab_ = e->globalPosition().toPoint() - window()->pos();
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        if (e->buttons() & Qt::LeftButton) window()->move(e->globalPosition().toPoint() - grab_);
    }

  private:
    QPoint grab_;
};

} // namespace

PomodoroStatusPanel::PomodoroStatusPanel(std::function<void()> onPauseToggle,
                                         std::function<void()> onStop, bool isEnglish,
                                         bool isPaused, Phase phase, int64_t totalCycles,
                                         int64_t currentCycle, int64_t secondsRemaining)
    : appkit::Window(QSize(320, 190), appkit::WindowStyle{false, false, false, false}),
      onPauseToggle_(std::move(onPauseToggle)), onStop_(std::move(onStop)), isEnglish_(isEnglish),
      isPaused_(isPaused), phaseLabel_(new QLabel), timerLabel_(new QLabel("00:00")),
      pauseBtn_(new ui::CustomCapsuleButton("")),
      stopBtn_(new ui::CustomCapsuleButton(isEnglish ? "Stop" : "종료")),
      closeBtn_(new ui::CircularCloseButton) {
    setTitle(isEnglish ? "Pomodoro Status" : "포모도로 상태");

    // The HUD: dark, rounded, with a faint white border.
    auto* hud = new DraggedByBackground;
    hud->setObjectName("pomodoroHud");
    hud->setStyleSheet("#pomodoroHud { background: rgba(30,30,34,0.96); border-radius: 20px;"
                       " border: 1px solid rgba(255,255,255,0.12); }");
    hud->setFixedSize(320, 190);

    auto* handle = new QWidget(hud);
    handle->setStyleSheet("background: rgba(255,255,255,0.15); border-radius: 2px;");
    handle->setGeometry((320 - 36) / 2, 8, 36, 4);
    closeBtn_->setParent(hud);
    closeBtn_->setGeometry(14, 14, 16, 16);
    closeBtn_->setAction([this](appkit::Button&) { closeClicked(); });

    auto* column = new appkit::StackView(appkit::Orientation::vertical, hud);
    column->setSpacing(16);
    column->setEdgeInsets(28, 24, 20, 24);
    column->setAlignment(appkit::StackAlignment::center);
    column->setGeometry(0, 0, 320, 190);
    QFont phaseFont = phaseLabel_->font();
    phaseFont.setPixelSize(14);
    phaseFont.setWeight(QFont::Medium);
    phaseLabel_->setFont(phaseFont);
    phaseLabel_->setStyleSheet("color: rgba(255,255,255,0.6); background: transparent;");
    phaseLabel_->setAlignment(Qt::AlignCenter);
    QFont digits("monospace");
    digits.setPixelSize(48);
    digits.setWeight(QFont::Medium);
    timerLabel_->setFont(digits);
    timerLabel_->setStyleSheet("color: white; background: transparent;");
    timerLabel_->setAlignment(Qt::AlignCenter);
    column->addArrangedSubview(phaseLabel_);
    column->addArrangedSubview(timerLabel_);
    auto* row = new appkit::StackView(appkit::Orientation::horizontal);
    row->setSpacing(12);
    for (auto* b : {pauseBtn_, stopBtn_}) {
        b->setFixedSize(110, 32);
        row->addArrangedSubview(b);
    }
    zen::styleCapsule(pauseBtn_, appkit::SystemColor::systemOrange);
    zen::styleCapsule(stopBtn_, appkit::SystemColor::systemRed);
    pauseBtn_->setAction([this](appkit::Button&) { pauseClicked(); });
    stopBtn_->setAction([this](appkit::Button&) { stopClicked(); });
    column->addArrangedSubview(row);
    closeBtn_->raise();

    setContentView(hud);
    setWillClose([this] {
        if (onClose) onClose();
    });
    center();
    updateTimeAndCycle(phase, currentCycle, totalCycles, secondsRemaining);
    setPausedState(isPaused);
}

void PomodoroStatusPanel::updateTimeAndCycle(Phase phase, int64_t current, int64_t totalCycles,
                                             int64_t seconds) {
    const std::string word = phase == Phase::focus ? (isEnglish_ ? "Focusing" : "집중 시간")
                                                   : (isEnglish_ ? "Resting" : "휴식 시간");
    phaseLabel_->setText(QString::fromStdString(word + " (" + std::to_string(current) + " / " +
                                                std::to_string(totalCycles) + ")"));
    timerLabel_->setText(QString::asprintf("%02lld:%02lld", static_cast<long long>(seconds / 60),
                                           static_cast<long long>(seconds % 60)));
}

void PomodoroStatusPanel::setPausedState(bool paused) {
    isPaused_ = paused;
    pauseBtn_->setTitle(paused ? (isEnglish_ ? "Resume" : "재개")
                               : (isEnglish_ ? "Pause" : "일시정지"));
}

std::string PomodoroStatusPanel::phaseText() const {
    return phaseLabel_->text().toStdString();
}

std::string PomodoroStatusPanel::timerText() const {
    return timerLabel_->text().toStdString();
}

void PomodoroStatusPanel::pauseClicked() {
    if (onPauseToggle_) onPauseToggle_();
}

void PomodoroStatusPanel::stopClicked() {
    auto onStop = onStop_; // closing may end this panel's life
    close();
    if (onStop) onStop();
}

void PomodoroStatusPanel::closeClicked() {
    close();
}

} // namespace pomodoro
