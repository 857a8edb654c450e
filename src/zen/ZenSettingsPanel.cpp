#include "zen/ZenSettingsPanel.h"

#include "appkit/Colors.h"
#include "appkit/StackView.h"
#include "appkit/Stepper.h"
#include "platform/Platform.h"
#include "platform/UserDefaults.h"
#include "ui/CapsuleButtons.h"

#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace zen {

namespace {

QLabel* fixedLabel(const QString& text, int width, QFont::Weight weight) {
    auto* l = new QLabel(text);
    QFont f = l->font();
    f.setPixelSize(13);
    f.setWeight(weight);
    l->setFont(f);
    // The width asked for, or what the text needs in the font used, whichever is more.
    l->setFixedWidth(std::max(width, QFontMetrics(f).horizontalAdvance(text) + 2));
    return l;
}

} // namespace

ZenSettingsPanel::ZenSettingsPanel(std::function<void(int)> onStart, bool isEnglish)
    : appkit::Window(QSize(300, 110), appkit::WindowStyle{true, true, false, false}),
      onStart_(std::move(onStart)), durationLabel_(new QLineEdit),
      durationUnitLabel_(fixedLabel("", 30, QFont::Normal)),
      durationStepper_(new appkit::Stepper(1, 60, 3)) {
    setTitle(isEnglish ? "Meditation Settings" : "명상 설정");
    // The window theme chosen in the program, else the system's.
    const auto theme = platform::current().defaults->string("appTheme").value_or("");
    if (theme == "dark")
        setAppearance(appkit::Appearance::darkAqua);
    else if (theme == "light")
        setAppearance(appkit::Appearance::aqua);

    auto* column = new appkit::StackView(appkit::Orientation::vertical);
    column->setSpacing(16);
    column->setEdgeInsets(16, 20, 16, 20);
    column->setAlignment(appkit::StackAlignment::center);

    auto* row = new appkit::StackView(appkit::Orientation::horizontal);
    row->setSpacing(8);
    row->addArrangedSubview(
        fixedLabel(isEnglish ? "Zen duration:" : "명상 시간:", 90, QFont::DemiBold));
    QFont number = durationLabel_->font();
    number.setPixelSize(13);
    number.setWeight(QFont::Medium);
    durationLabel_->setFont(number);
    durationLabel_->setAlignment(Qt::AlignRight);
    durationLabel_->setFrame(false);
    durationLabel_->setFixedWidth(30);
    // No background of its own; the text follows the window's appearance.
    QPalette clear;
    clear.setColor(QPalette::Base, Qt::transparent);
    durationLabel_->setPalette(clear);
    QObject::connect(durationLabel_, &QLineEdit::editingFinished, durationLabel_,
                     [this] { controlTextDidEndEditing(); });
    row->addArrangedSubview(durationLabel_);
    row->addArrangedSubview(durationUnitLabel_);
    durationStepper_->setAction([this](appkit::Stepper&) { durationStepperChanged(); });
    row->addArrangedSubview(durationStepper_);
    column->addArrangedSubview(row);

    auto* start = new ui::CustomCapsuleButton(isEnglish ? "Start" : "시작");
    start->setFixedSize(120, 32);
    const auto green = [](double a) {
        return appkit::color(appkit::SystemColor::systemGreen).withAlphaComponent(a).resolve(false);
    };
    start->setNormalBgColor(green(0.18));
    start->setHoverBgColor(green(0.28));
    start->setActiveBgColor(green(0.38));
    start->setContentTintColor(green(1));
    start->setAction([this](appkit::Button&) { startClicked(); });
    // Return starts, as the button's key equivalent.
    start->setKeyEquivalent("\r");
    column->addArrangedSubview(start);

    setContentView(column);
    setWillClose([this] {
        if (onClose) onClose();
    });
    updateLabels();
    center();
}

void ZenSettingsPanel::updateLabels() {
    const bool english = title() == "Meditation Settings";
    durationLabel_->setText(QString::number(zenDurationValue_));
    durationUnitLabel_->setText(english ? " min" : "분");
}

void ZenSettingsPanel::durationStepperChanged() {
    zenDurationValue_ = durationStepper_->integerValue();
    updateLabels();
}

void ZenSettingsPanel::controlTextDidEndEditing() {
    bool ok = false;
    const qlonglong typed = durationLabel_->text().trimmed().toLongLong(&ok);
    if (ok) zenDurationValue_ = int(std::clamp<qlonglong>(typed, 1, 60));
    durationStepper_->setIntegerValue(zenDurationValue_);
    updateLabels();
}

void ZenSettingsPanel::startClicked() {
    // An edit still under way counts.
    controlTextDidEndEditing();
    const int minutes = zenDurationValue_;
    close();
    if (onStart_) onStart_(minutes);
}

} // namespace zen
