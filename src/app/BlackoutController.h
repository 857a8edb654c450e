#pragma once
// The one process-wide controller. It owns every feature's state; each operation is defined in
// the folder of the subsystem that owns it.

#include "blackout/GammaTable.h"
#include "display/ControlledDisplay.h"
#include "platform/Menu.h"
#include "platform/RunLoop.h"
#include "platform/Screens.h"

#include <QPointer>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class BlackoutWindow;
class BrightnessController;
class DisplayEngine;
namespace appkit {
class Window;
class Button;
class SegmentedControl;
} // namespace appkit
namespace platform {
class StatusItem;
}
class QWidget;

class BlackoutController {
  public:
    static BlackoutController& shared();
    static bool hasShared();
    // Ends the shared controller (process end, or between tests on fresh machines).
    static void tearDownShared();

    // --- Application shell ---
    std::shared_ptr<BlackoutWindow> window;        // protector-mode window
    std::unique_ptr<appkit::Window> controlWindow; // kept after it is closed
    bool isWindowMinimizing = false;
    std::shared_ptr<BrightnessController> brightnessController;
    DisplayEngine& displayEngine;
    std::shared_ptr<platform::StatusItem> statusItem;
    std::optional<platform::Menu> statusMenu;
    std::shared_ptr<platform::Timer> syncTimer;
    std::optional<int> escapeKeyMonitor;
    bool isProtecting = false;
    std::optional<int> screenParametersObserver;

    // --- Gamma blackout ---
    std::map<DisplayID, GammaTable> originalGammaTables;
    bool saveOriginalGammaTable(DisplayID displayID);
    void blackoutDisplayViaGamma(DisplayID displayID);
    void restoreDisplayViaGamma(DisplayID displayID);

    // --- Keyboard backlight ---
    std::map<uint64_t, float> savedKeyboardBrightnesses;
    void turnOffKeyboardBacklight();
    void restoreKeyboardBacklight();

    // --- Display registry ---
    std::map<DisplayID, ControlledDisplay> cachedDisplaysByID;

    void recreateStatusMenu();
    void statusItemClicked();
    void checkForUpdates();
    void terminateCompetingMonitorControl();
    void autoLaunchToggled(appkit::Button& checkbox);
    bool launchAtLoginInitialState() const;
    void screenConfigurationChanged();
    void stopDisplayServices();
    void traceLog(const std::string& message);
    void showAlert(const std::string& title, const std::string& message);
    std::string t(const std::string& korean, const std::string& english) const;
    bool isEnglish() const;
    // The KO/EN control: segment 1 is English.
    void languageChanged(int selectedSegment);

    // The control window (grows with its own issue).
    void showControlWindow();

    // --- Theme and language controls (they live in the control window) ---
    QPointer<appkit::Button> appearanceButton;
    std::optional<int> appearanceObserver; // on the current control window
    QPointer<appkit::SegmentedControl> systemThemeSegmentedControl;
    QPointer<appkit::SegmentedControl> languageSegmentedControl;
    void appearanceButtonClicked();
    void updateAppearanceButtonIcon();
    void systemThemeChanged(appkit::SegmentedControl& control);

    // Display lookups.
    std::optional<DisplayID> displayID(const platform::Screen& screen) const;
    std::optional<platform::Screen> builtInScreen() const;
    std::vector<DisplayID> externalDisplayIDs() const;

    // The bundle identifier of the competing monitor utility asked to quit at launch.
    static constexpr const char* competingMonitorControlBundleID =
        "app.monitorcontrol.MonitorControl";

    ~BlackoutController();

  private:
    BlackoutController();
    QWidget* buildSystemCard();
    QWidget* buildToolbar();
    void configureStatusItem();
};

// Short form used by every feature for its texts.
inline std::string t(const std::string& korean, const std::string& english) {
    return BlackoutController::shared().t(korean, english);
}
