// Building, showing and fitting the control window, and its delegate's notifications.

#include "app/BlackoutController.h"
#include "app/ControlWindowParts.h"
#include "appkit/Scroller.h"
#include "appkit/StackView.h"
#include "appkit/Window.h"
#include "display/DisplayEngine.h"
#include "platform/Applications.h"
#include "platform/Platform.h"
#include "platform/RunLoop.h"
#include "platform/Screens.h"
#include "platform/UserDefaults.h"
#include "platform/WindowServer.h"
#include "ui/InteractiveImageView.h"

#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>

using namespace controlwindow;

namespace {

constexpr int kColumnSpacing = 16;
constexpr int kExtraHeight = 24;
constexpr double kScreenMargin = 60;
constexpr double kRoomWithoutScreens = 800;

std::optional<appkit::Appearance> themeAppearance() {
    auto theme = platform::current().defaults->string("appTheme");
    if (theme == "dark") return appkit::Appearance::darkAqua;
    if (theme == "light") return appkit::Appearance::aqua;
    return std::nullopt;
}

// The tallest visible screen area less the margin: how tall a new window may be.
double tallestRoom() {
    auto screens = platform::current().screens->screens();
    if (screens.empty()) return kRoomWithoutScreens - kScreenMargin;
    double tallest = 0;
    for (const auto& s : screens)
        tallest = std::max(tallest, s.visibleFrame.height);
    return tallest - kScreenMargin;
}

} // namespace

appkit::StackView* BlackoutController::controlColumn() const {
    if (!mainScrollView || !mainScrollView->widget()) return nullptr;
    // The document view's first subview.
    auto* document = mainScrollView->widget();
    auto* layout = document->layout();
    if (!layout || layout->count() == 0) return nullptr;
    return dynamic_cast<appkit::StackView*>(layout->itemAt(0)->widget());
}

// The window is not on any one of the machine's screens in the virtual Mac: it may use the
// room of the tallest, as at its build.
double BlackoutController::controlWindowRoom() const {
    // The room the window really has: a machine may keep its ordinary windows in a smaller area
    // (the virtual Mac's, on the host's screen beside its own window).
    double room = tallestRoom();
    if (auto* server = platform::current().windowServer)
        if (auto area = server->ordinaryWindowArea()) room = std::min(room, area->height);
    return room;
}

void BlackoutController::showControlWindow() {
    auto* applications = platform::current().applications;
    if (controlWindow && controlWindow->isVisible()) {
        controlWindow->makeKeyAndOrderFront();
        applications->activateIgnoringOtherApps();
        return;
    }
    // A window that is rebuilt keeps its place.
    std::optional<QPoint> place;
    if (controlWindow) {
        place = controlWindow->topLeft();
        controlWindow->close();
    }

    auto* column = buildControlColumn(windowDisplays());
    auto* document = new ui::FlippedView;
    auto* stack = new QVBoxLayout(document);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->addWidget(column, 0, Qt::AlignHCenter | Qt::AlignTop);
    stack->addStretch(1);
    auto* scroll = new QScrollArea;
    scroll->setVerticalScrollBar(new appkit::Scroller);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroll->setWidgetResizable(true);
    scroll->viewport()->setAutoFillBackground(false);
    document->setAutoFillBackground(false);
    column->setAutoFillBackground(false);
    const int fitting = column->fittingSize().height();
    scroll->setWidget(document);

    const int height = int(std::min<double>(fitting + kExtraHeight, tallestRoom()));
    controlWindow = makeControlWindow(scroll, height, place);
    mainScrollView = scroll;
    appearanceObserver = controlWindow->observeEffectiveAppearance([] {
        platform::mainQueue().async([] {
            if (BlackoutController::hasShared())
                BlackoutController::shared().updateAppearanceButtonIcon();
        });
    });
    updateAppearanceButtonIcon();
    controlWindow->makeKeyAndOrderFront();
    applications->activateIgnoringOtherApps();

    loadBrightnessValues();
    loadVolumeValues();
    populateAudioDevices();
    updatePowerStatusUI();
    syncBlueLightUI();
    loadChargeLimitSettings();
    updateIdleTimerState();
    startSyncTimer();
    platform::mainQueue().async([] {
        if (hasShared()) shared().adjustWindowHeight(false);
    });
}

void BlackoutController::rebuildShownControlWindow() {
    // A closed window is built anew when it opens again.
    if (!controlWindow || !controlWindow->isVisible()) return;
    if (isRecordingHotkey) exitHotkeyRecording(true);
    if (syncTimer) syncTimer->invalidate();
    controlWindow->orderOut();
    showControlWindow();
}

std::vector<ControlledDisplay> BlackoutController::windowDisplays() {
    // The online displays, and the switched-off ones that left the registry with them.
    displayEngine.refreshDisplays();
    for (const auto& d : displayEngine.displays)
        cachedDisplaysByID.insert_or_assign(d.id, d);
    std::vector<ControlledDisplay> shown = displayEngine.displays;
    for (const auto& [id, value] : poweredOffBrightnesses) {
        const bool online =
            std::any_of(shown.begin(), shown.end(),
                        [id = id](const ControlledDisplay& d) { return d.id == id; });
        if (auto cached = cachedDisplaysByID.find(id);
            !online && cached != cachedDisplaysByID.end())
            shown.push_back(cached->second);
    }
    return shown;
}

appkit::StackView*
BlackoutController::buildControlColumn(const std::vector<ControlledDisplay>& shown) {
    sliderDisplays.clear();
    brightnessLabels.clear();
    volumeSliders.clear();
    volumeLabels.clear();
    modeSegments.clear();
    resolutionDisplays.clear();
    displayModesByTag.clear();
    auto* column = new appkit::StackView(appkit::Orientation::vertical);
    column->setSpacing(kColumnSpacing);
    column->setEdgeInsets(kColumnInset, 0, kColumnInset, 0);
    column->setAlignment(appkit::StackAlignment::center);
    column->addArrangedSubview(buildPowerTiles(shown));
    for (size_t i = 0; i < shown.size(); ++i)
        column->addArrangedSubview(buildDisplayCard(shown[i], int(i)));
    column->addArrangedSubview(buildSystemCard());
    column->addArrangedSubview(buildKeepAwakeCard());
    column->addArrangedSubview(buildBatteryCard());
    column->addArrangedSubview(buildToolbar());
    return column;
}

std::unique_ptr<appkit::Window> BlackoutController::makeControlWindow(QWidget* content, int height,
                                                                      std::optional<QPoint> place) {
    auto window = std::make_unique<appkit::Window>(
        QSize(kContentWidth, height),
        appkit::WindowStyle{
            .titled = true, .closable = true, .miniaturizable = true, .resizable = false});
    window->setTitle("Night Lid");
    window->setContentView(content);
    window->setAppearance(themeAppearance());
    if (place)
        window->moveTopLeft(*place);
    else
        window->center();
    window->setWillClose([] {
        if (hasShared()) shared().windowWillClose();
    });
    window->setNotificationHandler([](appkit::Window::Notification n) {
        if (!hasShared()) return;
        auto& c = shared();
        switch (n) {
        case appkit::Window::Notification::willMiniaturize:
            c.windowWillMiniaturize();
            break;
        case appkit::Window::Notification::didMiniaturize:
            c.windowDidMiniaturize();
            break;
        case appkit::Window::Notification::didDeminiaturize:
            c.windowDidDeminiaturize();
            break;
        case appkit::Window::Notification::didMove:
            c.windowDidMove();
            break;
        }
    });

    return window;
}

void BlackoutController::adjustWindowHeight(bool animated) {
    const bool miniaturized = controlWindow && controlWindow->isMiniaturized();
    traceLog(std::string("adjustWindowHeight called. isMiniaturized=") +
             (miniaturized ? "true" : "false") +
             ", isWindowMinimizing=" + (isWindowMinimizing ? "true" : "false"));
    if (!controlWindow || miniaturized || isWindowMinimizing) {
        traceLog("adjustWindowHeight guard failed.");
        return;
    }
    auto* column = controlColumn();
    if (!column) return;
    // Our frames have no title bar of their own: the frame height is the content height.
    const double fitting = column->fittingSize().height();
    const double target = std::min(controlWindowRoom(), fitting);
    if (std::abs(target - controlWindow->frameHeight()) <= 1) return;
    // Animated or not, the frame ends at the same place; the top edge stays.
    (void)animated;
    controlWindow->setFrameHeight(int(std::lround(target)));
}

void BlackoutController::windowWillClose() {
    if (isRecordingHotkey) exitHotkeyRecording(true);
    if (appearanceObserver && controlWindow)
        controlWindow->removeAppearanceObservation(*appearanceObserver);
    appearanceObserver.reset();
}

void BlackoutController::windowWillMiniaturize() {
    traceLog("windowWillMiniaturize called");
    isWindowMinimizing = true;
}

void BlackoutController::windowDidMiniaturize() {
    traceLog("windowDidMiniaturize called");
    isWindowMinimizing = false;
}

void BlackoutController::windowDidDeminiaturize() {
    traceLog("windowDidDeminiaturize called");
    isWindowMinimizing = false;
}

void BlackoutController::windowDidMove() {
    traceLog("windowDidMove called");
}
