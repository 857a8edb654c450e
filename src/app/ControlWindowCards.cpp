// The cards of the control window: one per display, the screen and sound card, the toolbar.

#include "app/BlackoutController.h"
#include "app/ControlWindowParts.h"
#include "app/ThemeManager.h"
#include "appkit/Button.h"
#include "appkit/SegmentedControl.h"
#include "appkit/Slider.h"
#include "appkit/StackView.h"
#include "display/DisplayEngine.h"
#include "platform/CoreBrightness.h"
#include "platform/Platform.h"
#include "platform/UserDefaults.h"
#include "ui/CardView.h"
#include "ui/StyledPopUpButton.h"

#include <QLabel>
#include <QPointer>
#include <QScrollArea>

using namespace controlwindow;

namespace {

const QColor kYellow(0xff, 0xcc, 0x00);
const QColor kBlue(0x00, 0x7a, 0xff);
constexpr int kValueLabelWidth = 52;

QWidget* cardTitle(const std::string& symbol, const std::string& title) {
    auto* header = new appkit::StackView(appkit::Orientation::horizontal);
    header->setSpacing(8);
    header->addArrangedSubview(new SymbolView(symbol));
    header->addArrangedSubview(label(title, 13, true));
    return header;
}

// A slider row: symbol, name, slider and value label.
QWidget* sliderRow(const std::string& symbol, QColor tint, const std::string& name,
                   appkit::Slider* slider, QLabel* value) {
    auto* r = new appkit::StackView(appkit::Orientation::horizontal);
    r->setSpacing(8);
    r->addArrangedSubview(new SymbolView(symbol, tint, 16));
    auto* title = label(name);
    title->setFixedWidth(64);
    r->addArrangedSubview(title);
    slider->setFixedWidth(kCardWidth - 2 * kCardPadding - 20 - 64 - kValueLabelWidth - 3 * 8);
    r->addArrangedSubview(slider);
    value->setFixedWidth(kValueLabelWidth);
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    r->addArrangedSubview(value);
    r->setFixedWidth(kCardWidth - 2 * kCardPadding);
    return r;
}

} // namespace

ui::CollapsibleCard* BlackoutController::makeCard(const std::string& key, const std::string& symbol,
                                                  const std::string& title,
                                                  const std::vector<QWidget*>& rows) {
    auto* card = new ui::CollapsibleCard(key);
    card->setFixedWidth(kCardWidth);
    card->setEdgeInsets(14, kCardPadding, 14, kCardPadding);
    card->setSpacing(10);
    card->setAlignment(appkit::StackAlignment::leading);
    card->setup(cardTitle(symbol, title), rows);
    card->setHost({
        [] {
            if (hasShared() && shared().mainScrollView)
                shared().mainScrollView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        },
        [] {
            if (hasShared()) shared().adjustWindowHeight(true);
        },
        [] {
            if (!hasShared()) return;
            auto& c = shared();
            if (!c.mainScrollView || !c.controlWindow) return;
            auto* column = c.controlColumn();
            if (!column) return;
            // The scroller shows only when the column is taller than the window may grow.
            c.mainScrollView->setVerticalScrollBarPolicy(
                column->fittingSize().height() > c.controlWindowRoom() ? Qt::ScrollBarAsNeeded
                                                                       : Qt::ScrollBarAlwaysOff);
        },
    });
    return card;
}

QWidget* BlackoutController::buildDisplayCard(const ControlledDisplay& display, int position) {
    const std::string key = display.isBuiltIn
                                ? "collapseDisplay_builtin"
                                : "collapseDisplay_external_" + std::to_string(display.id);
    const std::string title =
        display.isBuiltIn ? t("내장 디스플레이", "Built-in Display") + getMacModelDisplayName()
                          : t("외장 디스플레이", "External Display") + " (" + display.name + ")";
    const bool controllable = display.isBuiltIn || display.ddcService;
    const bool enabled = controllable && !poweredOffBrightnesses.count(display.id);
    const std::string initial = enabled ? "--%" : t("미지원", "Unsupported");

    auto makeSlider = [&](int tag, bool brightness) {
        auto* slider = new appkit::Slider(0.0, 1.0, 0.5);
        slider->setTag(tag);
        slider->setContinuous(true);
        slider->setEnabled(enabled);
        if (brightness)
            slider->setAction([this](appkit::Slider& s) { brightnessChanged(s); });
        else
            slider->setAction([this](appkit::Slider& s) { volumeChanged(s); });
        return slider;
    };
    const int brightnessTag = brightnessSliderTagBase + position;
    const int volumeTag = volumeSliderTagBase + position;
    auto* brightnessValue = label(initial);
    auto* volumeValue = label(initial);
    sliderDisplays[brightnessTag] = display;
    brightnessLabels[brightnessTag] = brightnessValue;
    volumeSliders[volumeTag] = display;
    volumeLabels[volumeTag] = volumeValue;

    return makeCard(key, display.isBuiltIn ? "laptopcomputer" : "display", title,
                    {sliderRow("sun.max.fill", kYellow, t("밝기", "Brightness"),
                               makeSlider(brightnessTag, true), brightnessValue),
                     sliderRow("speaker.wave.2.fill", kBlue, t("볼륨", "Volume"),
                               makeSlider(volumeTag, false), volumeValue),
                     buildArrangementRow(display, position),
                     buildResolutionRow(display, position)});
}

bool BlackoutController::syncCheckboxUsable(bool autoBrightnessOn) const {
    return autoBrightnessOn && displayEngine.builtInDisplay() &&
           !displayEngine.externalDisplays().empty();
}

QWidget* BlackoutController::buildSystemCard() {
    std::vector<QWidget*> rows;

    bool autoOn = false;
    auto* core = platform::current().coreBrightness;
    if (core) core->getDisplayAutoBrightnessEnabled(&autoOn);
    auto* autoBrightness =
        new appkit::Button(appkit::ButtonType::checkbox, t("자동 밝기", "Auto Brightness"));
    autoBrightness->setState(autoOn ? appkit::ControlState::on : appkit::ControlState::off);
    autoBrightness->setEnabled(displayEngine.builtInDisplay().has_value());
    autoBrightness->setAction([this](appkit::Button& b) { autoBrightnessChanged(b); });
    autoBrightnessCheckbox = autoBrightness;
    rows.push_back(row({autoBrightness}, false));

    auto* sync = new appkit::Button(
        appkit::ButtonType::checkbox,
        t("자동 밝기를 외부 모니터에 동기화", "Sync auto-brightness to external displays"));
    const bool syncOn =
        platform::current().defaults->boolValue("automaticBrightnessSync").value_or(true);
    sync->setState(syncOn ? appkit::ControlState::on : appkit::ControlState::off);
    sync->setEnabled(syncCheckboxUsable(autoOn));
    sync->setAction([this](appkit::Button& b) { autoSyncChanged(b); });
    autoSyncButton = sync;
    rows.push_back(row({sync}, false));

    auto* output = new ui::StyledPopUpButton;
    output->setFixedWidth(230);
    output->setAction([this](appkit::PopUpButton& p) { audioOutputChanged(p); });
    audioOutputPopup = output;
    rows.push_back(row({new SymbolView("speaker.wave.2.fill", kBlue, 16),
                        label(t("사운드 출력 기기", "Sound Output Device")), output}));

    auto* blueLight = new appkit::Button(appkit::ButtonType::checkbox,
                                         t("🌙 블루라이트 차단", "🌙 Blue Light Filter"));
    blueLight->setAction([this](appkit::Button& b) { blueLightToggled(b); });
    blueLightCheckbox = blueLight;
    auto* strength = new appkit::Slider(0, 1, 0.5);
    strength->setContinuous(true);
    strength->setFixedWidth(170);
    strength->setAction([this](appkit::Slider& s) { blueLightStrengthChanged(s); });
    blueLightSlider = strength;
    auto* strengthValue = label("--%");
    strengthValue->setFixedWidth(44);
    strengthValue->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    blueLightValueLabel = strengthValue;
    auto* strengthRow = new appkit::StackView(appkit::Orientation::horizontal);
    strengthRow->setSpacing(8);
    strengthRow->addArrangedSubview(strength);
    strengthRow->addArrangedSubview(strengthValue);
    rows.push_back(row({blueLight, strengthRow}));

    auto* theme = new appkit::SegmentedControl({t("라이트", "Light"), t("다크", "Dark")});
    theme->setSelectedSegment(ThemeManager::isDarkMode() ? 1 : 0);
    theme->setAction([this](appkit::SegmentedControl& c) { systemThemeChanged(c); });
    systemThemeSegmentedControl = theme;
    rows.push_back(row({label(t("🍎 macOS 테마", "🍎 macOS Theme")), theme}));

    auto* launch =
        new appkit::Button(appkit::ButtonType::checkbox,
                           t("🖥️ 로그인 시 자동 실행", "🖥️ Launch at Login"));
    launch->setState(launchAtLoginInitialState() ? appkit::ControlState::on
                                                 : appkit::ControlState::off);
    launch->setAction([this](appkit::Button& b) { autoLaunchToggled(b); });
    rows.push_back(row({launch}, false));

    return makeCard("collapseSystemCard", "slider.horizontal.3",
                    t("화면 및 사운드 관리", "Screen & Sound Management"), rows);
}

QWidget* BlackoutController::buildToolbar() {
    auto* bar = new appkit::StackView(appkit::Orientation::horizontal);
    bar->setFixedWidth(kCardWidth);
    bar->setSpacing(8);
    auto* zen =
        new appkit::Button(appkit::ButtonType::push, t("🧘♂️ 명상", "🧘♂️ Zen"));
    zen->setAction([this](appkit::Button&) { zenButtonClicked(); });
    bar->addArrangedSubview(zen);
    auto* tomato = new appkit::Button(appkit::ButtonType::push,
                                      isPomodoroActive ? t("🍅 진행 상태", "🍅 Status")
                                                       : t("🍅 포모도로", "🍅 Pomodoro"));
    tomato->setAction([this](appkit::Button&) { pomodoroButtonClicked(); });
    pomodoroButton = tomato;
    bar->addArrangedSubview(tomato);
    bar->addFlexibleSpace();

    auto* themeButton = new appkit::Button(appkit::ButtonType::push, "");
    themeButton->setToolTip(QString::fromStdString(t("앱 화면 스타일 전환", "Toggle App Theme")));
    themeButton->setAction([this](appkit::Button&) { appearanceButtonClicked(); });
    appearanceButton = themeButton;
    bar->addArrangedSubview(themeButton);

    auto* language = new appkit::SegmentedControl({"KO", "EN"});
    language->setSelectedSegment(isEnglish() ? 1 : 0);
    language->setAction(
        [this](appkit::SegmentedControl& c) { languageChanged(c.selectedSegment()); });
    languageSegmentedControl = language;
    bar->addArrangedSubview(language);
    return bar;
}

QWidget* BlackoutController::buildPowerTiles(const std::vector<ControlledDisplay>& shown) {
    powerButtons.clear();
    powerContainers.clear();
    powerButtonDisplays.clear();
    hotkeyButtons.clear();
    hotkeyButtonDisplays.clear();
    auto* rows = new appkit::StackView(appkit::Orientation::vertical);
    rows->setSpacing(10);
    rows->setAlignment(appkit::StackAlignment::center);
    for (size_t first = 0; first < shown.size(); first += 3) {
        const size_t count = std::min<size_t>(3, shown.size() - first);
        auto* tiles = new appkit::StackView(appkit::Orientation::horizontal);
        tiles->setSpacing(14);
        for (size_t i = first; i < first + count; ++i)
            tiles->addArrangedSubview(makePowerTile(shown[i], int(i), count == 3 ? 154 : 160));
        rows->addArrangedSubview(tiles);
    }
    return rows;
}
