#include "app/BlackoutController.h"

#include "app/ThemeManager.h"
#include "appkit/Button.h"
#include "appkit/SegmentedControl.h"
#include "appkit/StackView.h"
#include "appkit/SymbolImages.h"
#include "appkit/Window.h"
#include "display/DisplayEngine.h"
#include "platform/Applications.h"
#include "platform/Platform.h"
#include "platform/RunLoop.h"
#include "platform/Screens.h"
#include "platform/UserDefaults.h"

#include <QLabel>
#include <QPainter>
#include <QScrollArea>

#include <algorithm>

namespace {

constexpr int kContentWidth = 560;
constexpr int kColumnSpacing = 16;
constexpr int kColumnInset = 20;
constexpr int kExtraHeight = 24;
constexpr int kScreenMargin = 60;
constexpr double kRoomWithoutScreens = 800;
constexpr int kCardWidth = kContentWidth - 2 * kColumnInset;
constexpr int kSymbolSize = 18;

bool isDark(const QWidget& w) {
    return w.palette().color(QPalette::Window).lightness() < 128;
}

// A symbol in the text colour of whatever appearance the window has.
class SymbolView : public QWidget {
  public:
    explicit SymbolView(std::string name) : name_(std::move(name)) {
        setFixedSize(kSymbolSize + 4, kSymbolSize + 4);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        auto image =
            appkit::systemSymbolImage(name_, kSymbolSize, palette().color(QPalette::WindowText));
        if (!image) return;
        QPainter p(this);
        p.drawImage(QPointF(2, 2), *image);
    }

  private:
    std::string name_;
};

// A card: a symbol and a title on a rounded panel, with rows of content under them.
class Card : public appkit::StackView {
  public:
    Card(const std::string& symbol, const std::string& title)
        : StackView(appkit::Orientation::vertical) {
        setFixedWidth(kCardWidth);
        setEdgeInsets(14, 16, 14, 16);
        setSpacing(10);
        setAlignment(appkit::StackAlignment::leading);
        auto* header = new appkit::StackView(appkit::Orientation::horizontal);
        header->setSpacing(8);
        header->addArrangedSubview(new SymbolView(symbol));
        auto* label = new QLabel(QString::fromStdString(title));
        QFont font = label->font();
        font.setPointSize(13);
        font.setBold(true);
        label->setFont(font);
        header->addArrangedSubview(label);
        header->addFlexibleSpace();
        header->setFixedWidth(kCardWidth - 32);
        addArrangedSubview(header);
    }

    // A row of views, left to right, spanning the card.
    void addRow(std::initializer_list<QWidget*> views, bool flexibleBeforeLast = true) {
        auto* row = new appkit::StackView(appkit::Orientation::horizontal);
        row->setSpacing(8);
        const int n = int(views.size());
        int i = 0;
        for (auto* v : views) {
            if (flexibleBeforeLast && i == n - 1 && n > 1) row->addFlexibleSpace();
            row->addArrangedSubview(v);
            ++i;
        }
        row->setFixedWidth(kCardWidth - 32);
        addArrangedSubview(row);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        const bool dark = isDark(*this);
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(dark ? QColor(255, 255, 255, 31) : QColor(0, 0, 0, 20), 1));
        p.setBrush(dark ? QColor::fromRgbF(0.16, 0.16, 0.16) : QColor(0, 0, 0, 8));
        p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
    }
};

QLabel* rowLabel(const std::string& text) {
    return new QLabel(QString::fromStdString(text));
}

std::optional<appkit::Appearance> themeAppearance() {
    auto theme = platform::current().defaults->string("appTheme");
    if (theme == "dark") return appkit::Appearance::darkAqua;
    if (theme == "light") return appkit::Appearance::aqua;
    return std::nullopt;
}

double verticalRoom() {
    auto screens = platform::current().screens->screens();
    double tallest = kRoomWithoutScreens;
    if (!screens.empty()) {
        tallest = 0;
        for (const auto& s : screens)
            tallest = std::max(tallest, s.visibleFrame.height);
    }
    return tallest - kScreenMargin;
}

} // namespace

QWidget* BlackoutController::buildPowerTiles(const std::vector<ControlledDisplay>& shown) {
    powerButtons.clear();
    powerContainers.clear();
    powerButtonDisplays.clear();
    auto* rows = new appkit::StackView(appkit::Orientation::vertical);
    rows->setSpacing(10);
    rows->setAlignment(appkit::StackAlignment::center);
    for (size_t first = 0; first < shown.size(); first += 3) {
        const size_t count = std::min<size_t>(3, shown.size() - first);
        auto* row = new appkit::StackView(appkit::Orientation::horizontal);
        row->setSpacing(14);
        for (size_t i = first; i < first + count; ++i)
            row->addArrangedSubview(makePowerTile(shown[i], int(i), count == 3 ? 154 : 160));
        rows->addArrangedSubview(row);
    }
    return rows;
}

QWidget* BlackoutController::buildSystemCard() {
    auto* card =
        new Card("slider.horizontal.3", t("화면 및 사운드 관리", "Screen & Sound Management"));

    auto* theme = new appkit::SegmentedControl({t("라이트", "Light"), t("다크", "Dark")});
    theme->setSelectedSegment(ThemeManager::isDarkMode() ? 1 : 0);
    theme->setAction([this](appkit::SegmentedControl& c) { systemThemeChanged(c); });
    systemThemeSegmentedControl = theme;
    card->addRow({rowLabel(t("🍎 macOS 테마", "🍎 macOS Theme")), theme});

    auto* launch =
        new appkit::Button(appkit::ButtonType::checkbox,
                           t("🖥️ 로그인 시 자동 실행", "🖥️ Launch at Login"));
    launch->setState(launchAtLoginInitialState() ? appkit::ControlState::on
                                                 : appkit::ControlState::off);
    launch->setAction([this](appkit::Button& b) { autoLaunchToggled(b); });
    card->addRow({launch}, false);
    return card;
}

QWidget* BlackoutController::buildToolbar() {
    auto* bar = new appkit::StackView(appkit::Orientation::horizontal);
    bar->setFixedWidth(kCardWidth);
    bar->setSpacing(8);
    bar->addFlexibleSpace();

    auto* themeButton = new appkit::Button(appkit::ButtonType::push, "");
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

void BlackoutController::showControlWindow() {
    auto* applications = platform::current().applications;
    if (controlWindow && controlWindow->isVisible()) {
        controlWindow->makeKeyAndOrderFront();
        applications->activateIgnoringOtherApps();
        return;
    }
    if (controlWindow) controlWindow->close();

    displayEngine.refreshDisplays();
    for (const auto& d : displayEngine.displays)
        cachedDisplaysByID.insert_or_assign(d.id, d);
    const std::vector<ControlledDisplay> shown = displayEngine.displays;

    auto* column = new appkit::StackView(appkit::Orientation::vertical);
    column->setSpacing(kColumnSpacing);
    column->setEdgeInsets(kColumnInset, 0, kColumnInset, 0);
    column->setAlignment(appkit::StackAlignment::center);
    column->addArrangedSubview(buildPowerTiles(shown));
    for (const auto& d : shown) {
        auto title = d.isBuiltIn ? t("내장 디스플레이", "Built-in Display")
                                 : t("외장 디스플레이", "External Display") + " (" + d.name + ")";
        column->addArrangedSubview(new Card(d.isBuiltIn ? "laptopcomputer" : "display", title));
    }
    column->addArrangedSubview(buildSystemCard());
    column->addArrangedSubview(buildToolbar());

    auto* scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroll->setWidgetResizable(true);
    scroll->viewport()->setAutoFillBackground(false);
    column->setAutoFillBackground(false);
    const int fitting = column->fittingSize().height();
    scroll->setWidget(column);

    const int height = int(std::min<double>(fitting + kExtraHeight, verticalRoom()));
    auto window = std::make_unique<appkit::Window>(
        QSize(kContentWidth, height),
        appkit::WindowStyle{
            .titled = true, .closable = true, .miniaturizable = true, .resizable = false});
    window->setTitle("Night Lid");
    window->setContentView(scroll);
    window->setAppearance(themeAppearance());
    window->center();

    controlWindow = std::move(window);
    appearanceObserver = controlWindow->observeEffectiveAppearance([] {
        platform::mainQueue().async([] {
            if (BlackoutController::hasShared())
                BlackoutController::shared().updateAppearanceButtonIcon();
        });
    });
    updateAppearanceButtonIcon();
    controlWindow->makeKeyAndOrderFront();
    applications->activateIgnoringOtherApps();
}
