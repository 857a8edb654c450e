#include "app/BlackoutController.h"

#include "appkit/StackView.h"
#include "appkit/SymbolImages.h"
#include "appkit/Window.h"
#include "display/DisplayEngine.h"
#include "platform/Applications.h"
#include "platform/Platform.h"
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

// One display's card: its symbol and its title on a rounded panel.
class DisplayCard : public appkit::StackView {
  public:
    DisplayCard(const std::string& symbol, const std::string& title)
        : StackView(appkit::Orientation::horizontal) {
        setFixedWidth(kCardWidth);
        setEdgeInsets(14, 16, 14, 16);
        setSpacing(8);
        addArrangedSubview(new SymbolView(symbol));
        auto* label = new QLabel(QString::fromStdString(title));
        QFont font = label->font();
        font.setPointSize(13);
        font.setBold(true);
        label->setFont(font);
        addArrangedSubview(label);
        addFlexibleSpace();
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
    for (const auto& d : shown) {
        auto title = d.isBuiltIn ? t("내장 디스플레이", "Built-in Display")
                                 : t("외장 디스플레이", "External Display") + " (" + d.name + ")";
        column->addArrangedSubview(
            new DisplayCard(d.isBuiltIn ? "laptopcomputer" : "display", title));
    }

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
    controlWindow->makeKeyAndOrderFront();
    applications->activateIgnoringOtherApps();
}
