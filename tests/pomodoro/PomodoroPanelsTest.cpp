#include "pomodoro/PomodoroTestSupport.h"

#include "appkit/PopUpButton.h"
#include "appkit/Stepper.h"
#include "platform/SystemPaths.h"
#include "pomodoro/PomodoroSettingsPanel.h"
#include "pomodoro/PomodoroStatusPanel.h"
#include "ui/CapsuleButtons.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>

namespace {

void typeInto(QLineEdit* field, const QString& text) {
    field->setText(text);
    emit field->editingFinished();
}

} // namespace

TEST_F(PomodoroTest, SettingsPanelKeepsTypedNumbersInRangeAndStartsWithThem) {
    auto& c = controller();
    c.pomodoroButtonClicked();
    ASSERT_TRUE(c.pomodoroSettingsPanel);
    auto* panel = c.pomodoroSettingsPanel.get();
    EXPECT_EQ(panel->title(), "포모도로 설정");
    EXPECT_EQ(panel->focusValue(), 25);
    EXPECT_EQ(panel->breakValue(), 5);
    EXPECT_EQ(panel->repeatValue(), 4);
    EXPECT_EQ(panel->focusSoundPopUp()->titleOfSelectedItem(), "Tink");
    EXPECT_EQ(panel->breakSoundPopUp()->titleOfSelectedItem(), "Glass");
    EXPECT_EQ(panel->dimCheckbox()->state(), appkit::ControlState::on);

    const std::vector<std::pair<QString, QString>> typed = {
        {"500", "180"},  {"0", "1"},       {"-7", "1"},   {"abc", "1"},
        {"10,000", "1"}, {"10000", "180"}, {" 42 ", "42"}};
    for (const auto& [text, shown] : typed) {
        typeInto(panel->focusLabel(), text);
        EXPECT_EQ(panel->focusLabel()->text(), shown) << text.toStdString();
    }
    EXPECT_EQ(panel->focusStepper()->integerValue(), 42);
    typeInto(panel->breakLabel(), "99");
    EXPECT_EQ(panel->breakValue(), 60);
    typeInto(panel->repeatLabel(), "21");
    EXPECT_EQ(panel->repeatValue(), 20);
    panel->repeatStepper()->decrement();
    EXPECT_EQ(panel->repeatLabel()->text(), "19");
    EXPECT_EQ(panel->unitText(2), "회") << "stepping keeps the Korean units";

    // The sound and dimming choices are stored at once, the sound previewed.
    panel->breakSoundPopUp()->performSelect(0);
    EXPECT_EQ(defaults().string("pomodoroBreakSound"), std::optional<std::string>("Basso"));
    EXPECT_EQ(sounds().back(), "Basso");
    panel->dimCheckbox()->performClick();
    EXPECT_EQ(defaults().boolValue("pomodoroDimBeforeBreak"), std::optional<bool>(false));

    panel->startClicked();
    advance();
    EXPECT_FALSE(c.pomodoroSettingsPanel);
    EXPECT_TRUE(c.isPomodoroActive);
    EXPECT_EQ(c.pomodoroFocusDuration, 42 * 60);
    EXPECT_EQ(c.pomodoroBreakDuration, 60 * 60);
    EXPECT_EQ(c.pomodoroTotalCycles, 19);
    EXPECT_EQ(defaults().integer("pomodoroFocusValue"), std::optional<int64_t>(42));
    c.stopPomodoro();

    // Stored nonsense opens at the defaults; Cancel stores no numbers.
    defaults().set("pomodoroFocusValue", 0);
    c.pomodoroButtonClicked();
    EXPECT_EQ(c.pomodoroSettingsPanel->focusValue(), 25);
    typeInto(c.pomodoroSettingsPanel->focusLabel(), "7");
    c.pomodoroSettingsPanel->cancelClicked();
    advance();
    EXPECT_FALSE(c.pomodoroSettingsPanel);
    EXPECT_EQ(defaults().integer("pomodoroFocusValue"), std::optional<int64_t>(0));

    // Stored lengths beyond the fields' limits open at the limits, and Start starts with them.
    defaults().set("pomodoroFocusValue", int64_t(2147483647));
    defaults().set("pomodoroBreakValue", int64_t(2147483647));
    defaults().set("pomodoroRepeatValue", int64_t(2147483647));
    c.pomodoroButtonClicked();
    EXPECT_EQ(c.pomodoroSettingsPanel->focusValue(), 180);
    c.pomodoroSettingsPanel->startClicked();
    advance();
    EXPECT_TRUE(c.isPomodoroActive);
    EXPECT_EQ(c.pomodoroFocusDuration, 180 * 60);
    EXPECT_EQ(c.pomodoroBreakDuration, 60 * 60);
    EXPECT_EQ(c.pomodoroTotalCycles, 20);
}

TEST_F(PomodoroTest, SoundListAddsTheSystemFolderAndKeepsTheBuiltInNames) {
    auto builtIn = pomodoro::PomodoroSettingsPanel::getAvailableSystemSounds();
    ASSERT_EQ(builtIn.size(), 14u);
    EXPECT_EQ(builtIn.front(), "Basso");
    const QString folder = QString::fromStdString(platform().paths->map("/System/Library/Sounds"));
    QDir().mkpath(folder);
    for (const char* name : {"Sonar.aiff", "Glass.aiff", "Notes.txt", "Chime.MP3", ".hidden.wav"}) {
        QFile f(folder + "/" + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    auto all = pomodoro::PomodoroSettingsPanel::getAvailableSystemSounds();
    EXPECT_EQ(all.size(), 16u);
    EXPECT_TRUE(std::is_sorted(all.begin(), all.end()));
    EXPECT_NE(std::find(all.begin(), all.end(), "Sonar"), all.end());
    EXPECT_NE(std::find(all.begin(), all.end(), "Chime"), all.end());
    EXPECT_EQ(std::find(all.begin(), all.end(), "Notes"), all.end());
}

TEST_F(PomodoroTest, StatusPanelFollowsTheRunAndClosingItKeepsTheTimer) {
    auto& c = controller();
    defaults().set("appLanguage", "en");
    c.startPomodoro(25, 5, 4);
    c.pomodoroButtonClicked();
    ASSERT_TRUE(c.pomodoroStatusPanel);
    auto panel = c.pomodoroStatusPanel;
    EXPECT_EQ(panel->phaseText(), "Focusing (1 / 4)");
    EXPECT_EQ(panel->timerText(), "25:00");
    advance(2, 0.5);
    EXPECT_EQ(panel->timerText(), "24:58");
    panel->pauseClicked();
    EXPECT_EQ(panel->pauseButton()->title(), "Resume");
    EXPECT_TRUE(c.isShowingStopAlert);
    c.pomodoroButtonClicked();
    EXPECT_EQ(c.pomodoroStatusPanel, panel) << "a second opening only brings it front";

    panel->closeClicked();
    advance();
    EXPECT_FALSE(c.pomodoroStatusPanel);
    EXPECT_TRUE(c.isPomodoroActive);
    c.pomodoroButtonClicked();
    ASSERT_TRUE(c.pomodoroStatusPanel);
    EXPECT_EQ(c.pomodoroStatusPanel->pauseButton()->title(), "Resume") << "opened while paused";
    EXPECT_EQ(c.pomodoroStatusPanel->timerText(), "24:58");
    c.pomodoroStatusPanel->pauseClicked();
    advance(1, 0.5);
    EXPECT_EQ(c.pomodoroStatusPanel->timerText(), "24:57");

    c.pomodoroStatusPanel->stopClicked();
    advance();
    EXPECT_FALSE(c.isPomodoroActive);
    EXPECT_FALSE(c.pomodoroStatusPanel);
    EXPECT_TRUE(mac().alerts().shown().empty()) << "stopped without the question";
}
