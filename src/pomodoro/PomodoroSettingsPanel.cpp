#include "pomodoro/PomodoroSettingsPanel.h"

#include "appkit/Button.h"
#include "appkit/PopUpButton.h"
#include "appkit/StackView.h"
#include "appkit/Stepper.h"
#include "platform/Platform.h"
#include "platform/Sounds.h"
#include "platform/SystemPaths.h"
#include "platform/UserDefaults.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <set>

namespace pomodoro {

namespace {

struct Limits {
    int min, max;
    const char* korean;
    const char* english;
};
constexpr Limits kFocus{1, 180, "분", " min"};
constexpr Limits kBreak{1, 60, "분", " min"};
constexpr Limits kCycles{1, 20, "회", " cycles"};

QLabel* fixedLabel(const std::string& text, int width, bool bold) {
    auto* l = new QLabel(QString::fromStdString(text));
    QFont f = l->font();
    f.setPixelSize(13);
    f.setBold(bold);
    l->setFont(f);
    l->setFixedWidth(width);
    return l;
}

// 40 points, or what " cycles" needs in the font at hand.
QLabel* unitLabel() {
    auto* l = fixedLabel("", 40, false);
    l->setMinimumWidth(40);
    l->setMaximumWidth(QWIDGETSIZE_MAX);
    return l;
}

QLineEdit* numberField() {
    auto* field = new QLineEdit;
    QFont f = field->font();
    f.setPixelSize(13);
    field->setFont(f);
    field->setAlignment(Qt::AlignRight);
    field->setFrame(false);
    field->setFixedWidth(40);
    // No background of its own; the text follows the window's appearance.
    QPalette clear;
    clear.setColor(QPalette::Base, Qt::transparent);
    field->setPalette(clear);
    return field;
}

// A stored length: below 1 or missing gives the default; above the field's limit, the limit
// (the field never shows a value that Start would refuse).
int storedValue(const char* key, int fallback, const Limits& limits) {
    auto v = platform::current().defaults->integer(key);
    if (!v || *v < 1) return fallback;
    return int(std::clamp<int64_t>(*v, limits.min, limits.max));
}

} // namespace

std::vector<std::string> PomodoroSettingsPanel::getAvailableSystemSounds() {
    static const std::vector<std::string> builtIn = {"Basso", "Blow",   "Bottle",    "Frog", "Funk",
                                                     "Glass", "Hero",   "Morse",     "Ping", "Pop",
                                                     "Purr",  "Sosumi", "Submarine", "Tink"};
    auto* paths = platform::current().paths;
    if (!paths) return builtIn;
    QDir folder(QString::fromStdString(paths->map("/System/Library/Sounds")));
    std::set<std::string> found;
    for (const auto& name : folder.entryList(QDir::Files)) {
        const QFileInfo info(name);
        static const QStringList kinds = {"aiff", "wav", "caf", "heic", "mp3"};
        if (kinds.contains(info.suffix().toLower()) && !info.completeBaseName().isEmpty())
            found.insert(info.completeBaseName().toStdString());
    }
    if (found.empty()) return builtIn;
    found.insert(builtIn.begin(), builtIn.end());
    return {found.begin(), found.end()};
}

PomodoroSettingsPanel::PomodoroSettingsPanel(StartHandler onStart, bool isEnglish)
    : appkit::Window(QSize(320, 320), appkit::WindowStyle{true, true, false, false}),
      onStart_(std::move(onStart)), focusLabel_(numberField()), breakLabel_(numberField()),
      repeatLabel_(numberField()), focusUnitLabel_(unitLabel()), breakUnitLabel_(unitLabel()),
      repeatUnitLabel_(unitLabel()) {
    focusValue_ = storedValue("pomodoroFocusValue", 25, kFocus);
    breakValue_ = storedValue("pomodoroBreakValue", 5, kBreak);
    repeatValue_ = storedValue("pomodoroRepeatValue", 4, kCycles);
    auto& defaults = *platform::current().defaults;
    setTitle(isEnglish ? "Pomodoro Settings" : "포모도로 설정");
    const auto theme = defaults.string("appTheme").value_or("");
    if (theme == "dark")
        setAppearance(appkit::Appearance::darkAqua);
    else if (theme == "light")
        setAppearance(appkit::Appearance::aqua);
    auto t = [isEnglish](const char* korean, const char* english) {
        return std::string(isEnglish ? english : korean);
    };

    auto* form = new appkit::StackView(appkit::Orientation::vertical);
    form->setSpacing(10);
    form->setAlignment(appkit::StackAlignment::leading);
    auto numberRow = [&](const std::string& title, QLineEdit* field, QLabel* unit,
                         appkit::Stepper*& stepper, const Limits& limits, int value,
                         void (PomodoroSettingsPanel::*changed)()) {
        auto* row = new appkit::StackView(appkit::Orientation::horizontal);
        row->setSpacing(8);
        row->addArrangedSubview(fixedLabel(title, 120, true));
        QObject::connect(field, &QLineEdit::editingFinished, field,
                         [this, field] { controlTextDidEndEditing(field); });
        row->addArrangedSubview(field);
        unit->setContentsMargins(2 - 8, 0, 0, 0); // 2 points after the number
        row->addArrangedSubview(unit);
        stepper = new appkit::Stepper(limits.min, limits.max, value);
        stepper->setAction([this, changed](appkit::Stepper&) { (this->*changed)(); });
        row->addArrangedSubview(stepper);
        form->addArrangedSubview(row);
    };
    numberRow(t("집중 시간:", "Focus duration:"), focusLabel_, focusUnitLabel_, focusStepper_,
              kFocus, focusValue_, &PomodoroSettingsPanel::focusStepperChanged);
    numberRow(t("휴식 시간:", "Break duration:"), breakLabel_, breakUnitLabel_, breakStepper_,
              kBreak, breakValue_, &PomodoroSettingsPanel::breakStepperChanged);
    numberRow(t("반복 횟수:", "Cycles:"), repeatLabel_, repeatUnitLabel_, repeatStepper_, kCycles,
              repeatValue_, &PomodoroSettingsPanel::repeatStepperChanged);

    const auto sounds = getAvailableSystemSounds();
    auto soundRow = [&](const std::string& title, appkit::PopUpButton*& popup, const char* key,
                        const char* fallback, void (PomodoroSettingsPanel::*changed)()) {
        popup = new appkit::PopUpButton;
        popup->removeAllItems();
        for (const auto& s : sounds)
            popup->addItem(s);
        const auto stored = defaults.string(key).value_or(fallback);
        auto it = std::find(sounds.begin(), sounds.end(), stored);
        if (it != sounds.end()) popup->selectItem(int(it - sounds.begin()));
        popup->setFixedWidth(140);
        popup->setAction([this, changed](appkit::PopUpButton&) { (this->*changed)(); });
        auto* row = new appkit::StackView(appkit::Orientation::horizontal);
        row->setSpacing(8);
        row->addArrangedSubview(fixedLabel(title, 120, true));
        row->addArrangedSubview(popup);
        form->addArrangedSubview(row);
    };
    soundRow(t("집중 시작음:", "Focus Sound:"), focusSound_, "pomodoroFocusSound", "Tink",
             &PomodoroSettingsPanel::focusSoundChanged);
    soundRow(t("휴식 알림음:", "Break Sound:"), breakSound_, "pomodoroBreakSound", "Glass",
             &PomodoroSettingsPanel::breakSoundChanged);

    dim_ = new appkit::Button(
        appkit::ButtonType::checkbox,
        t("휴식시간 1분 전부터 화면 서서히 어두워짐", "Dim screen 1 min before break"));
    dim_->setState(defaults.boolValue("pomodoroDimBeforeBreak").value_or(true)
                       ? appkit::ControlState::on
                       : appkit::ControlState::off);
    dim_->setAction([this](appkit::Button&) { dimCheckboxChanged(); });
    form->addArrangedSubview(dim_);

    auto* column = new appkit::StackView(appkit::Orientation::vertical);
    column->setSpacing(16);
    column->setEdgeInsets(16, 20, 16, 20);
    column->setAlignment(appkit::StackAlignment::center);
    column->addArrangedSubview(form);
    column->addArrangedSubview(buildButtons(isEnglish));
    setContentView(column);
    setWillClose([this] {
        if (onClose) onClose();
    });
    updateLabels();
    center();
}

appkit::StackView* PomodoroSettingsPanel::buildButtons(bool isEnglish) {
    auto* buttons = new appkit::StackView(appkit::Orientation::horizontal);
    buttons->setSpacing(12);
    auto* cancel = new appkit::Button(appkit::ButtonType::push, isEnglish ? "Cancel" : "취소");
    cancel->setAction([this](appkit::Button&) { cancelClicked(); });
    auto* start = new appkit::Button(appkit::ButtonType::push, isEnglish ? "Start" : "시작");
    start->setAction([this](appkit::Button&) { startClicked(); });
    // Return starts, as the button's key equivalent.
    start->setKeyEquivalent("\r");
    buttons->addArrangedSubview(cancel);
    buttons->addArrangedSubview(start);
    return buttons;
}

std::string PomodoroSettingsPanel::unitText(int row) const {
    const QLabel* labels[] = {focusUnitLabel_, breakUnitLabel_, repeatUnitLabel_};
    return labels[std::clamp(row, 0, 2)]->text().toStdString();
}

void PomodoroSettingsPanel::updateLabels() {
    const bool english = title() == "Pomodoro Settings";
    focusLabel_->setText(QString::number(focusValue_));
    breakLabel_->setText(QString::number(breakValue_));
    repeatLabel_->setText(QString::number(repeatValue_));
    focusUnitLabel_->setText(QString::fromUtf8(english ? kFocus.english : kFocus.korean));
    breakUnitLabel_->setText(QString::fromUtf8(english ? kBreak.english : kBreak.korean));
    repeatUnitLabel_->setText(QString::fromUtf8(english ? kCycles.english : kCycles.korean));
}

void PomodoroSettingsPanel::focusStepperChanged() {
    focusValue_ = focusStepper_->integerValue();
    updateLabels();
}

void PomodoroSettingsPanel::breakStepperChanged() {
    breakValue_ = breakStepper_->integerValue();
    updateLabels();
}

void PomodoroSettingsPanel::repeatStepperChanged() {
    repeatValue_ = repeatStepper_->integerValue();
    updateLabels();
}

void PomodoroSettingsPanel::controlTextDidEndEditing(QLineEdit* field) {
    struct Target {
        QLineEdit* field;
        int* value;
        appkit::Stepper* stepper;
        Limits limits;
    };
    const Target targets[] = {{focusLabel_, &focusValue_, focusStepper_, kFocus},
                              {breakLabel_, &breakValue_, breakStepper_, kBreak},
                              {repeatLabel_, &repeatValue_, repeatStepper_, kCycles}};
    for (const auto& t : targets) {
        if (t.field != field) continue;
        bool ok = false;
        const qlonglong typed = field->text().trimmed().toLongLong(&ok);
        if (ok) *t.value = int(std::clamp<qlonglong>(typed, t.limits.min, t.limits.max));
        if (t.stepper) t.stepper->setIntegerValue(*t.value);
        updateLabels();
    }
}

namespace {

void storeSound(const char* key, appkit::PopUpButton* popup) {
    const auto name = popup->titleOfSelectedItem();
    if (name.empty()) return;
    auto& defaults = *platform::current().defaults;
    defaults.set(key, name);
    defaults.synchronize();
    if (auto* sounds = platform::current().sounds) sounds->play(name);
}

} // namespace

void PomodoroSettingsPanel::focusSoundChanged() {
    storeSound("pomodoroFocusSound", focusSound_);
}

void PomodoroSettingsPanel::breakSoundChanged() {
    storeSound("pomodoroBreakSound", breakSound_);
}

void PomodoroSettingsPanel::dimCheckboxChanged() {
    auto& defaults = *platform::current().defaults;
    defaults.set("pomodoroDimBeforeBreak", dim_->state() == appkit::ControlState::on);
    defaults.synchronize();
}

void PomodoroSettingsPanel::cancelClicked() {
    close();
}

void PomodoroSettingsPanel::startClicked() {
    // An edit still under way counts.
    for (auto* field : {focusLabel_, breakLabel_, repeatLabel_})
        if (field->hasFocus()) controlTextDidEndEditing(field);
    const int f = focusValue_, b = breakValue_, r = repeatValue_;
    auto start = onStart_;
    close();
    auto& defaults = *platform::current().defaults;
    defaults.set("pomodoroFocusValue", f);
    defaults.set("pomodoroBreakValue", b);
    defaults.set("pomodoroRepeatValue", r);
    defaults.synchronize();
    if (start) start(f, b, r);
}

} // namespace pomodoro
