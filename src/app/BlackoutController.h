#pragma once
// The one process-wide controller. It owns every feature's state; each operation is defined in
// the folder of the subsystem that owns it.

#include "appkit/Image.h"
#include "blackout/GammaTable.h"
#include "display/ControlledDisplay.h"
#include "platform/Displays.h"
#include "platform/Events.h"
#include "platform/Menu.h"
#include "platform/RunLoop.h"
#include "platform/Screens.h"
#include "pomodoro/PomodoroPhase.h"
#include "power/PowerStatus.h"

#include <QPointer>

#include <array>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

class BlackoutWindow;
class BrightnessController;
class RecoveryJournal;
class DisplayEngine;
namespace appkit {
class Window;
class Button;
class SegmentedControl;
class Slider;
class PopUpButton;
class StackView;
} // namespace appkit
namespace helper {
struct CalibrationFile;
}
namespace zen {
class ZenWindow;
class ZenView;
class ZenSettingsPanel;
} // namespace zen
namespace pomodoro {
class PomodoroStatusPanel;
class PomodoroSettingsPanel;
class PomodoroStartOverlayWindow;
class PomodoroBreakView;
} // namespace pomodoro
namespace ui {
class StyledPopUpButton;
class CollapsibleCard;
} // namespace ui
class QScrollArea;
class QLabel;
namespace platform {
class StatusItem;
class BlueLightClient;
} // namespace platform
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
    std::optional<int> wakeObserver;

    // --- Gamma blackout ---
    std::map<DisplayID, GammaTable> originalGammaTables;
    bool saveOriginalGammaTable(DisplayID displayID);
    void blackoutDisplayViaGamma(DisplayID displayID);
    void restoreDisplayViaGamma(DisplayID displayID);

    // --- Display power: off is brightness 0 (and a black gamma table for a monitor) ---
    std::map<DisplayID, float> poweredOffBrightnesses; // the off displays and their restore value
    std::map<DisplayID, QPointer<appkit::Button>> powerButtons;
    std::map<DisplayID, QPointer<QWidget>> powerContainers;
    std::map<int, ControlledDisplay> powerButtonDisplays; // toggle-button tag -> display
    static constexpr int powerButtonTagBase = 2000;
    void powerOffDisplay(const ControlledDisplay& display);
    void restorePoweredOffDisplay(const ControlledDisplay& display,
                                  std::optional<float> toBrightness = std::nullopt);
    void toggleDisplayPowerByID(DisplayID displayID);
    void displayPowerChanged(appkit::Button& sender);
    void restorePoweredOffDisplays();
    bool hasActiveOffMode() const;
    void updatePowerButton(const ControlledDisplay& display, bool isOff);
    static appkit::Image toggleSwitchImage(bool isOff);
    static std::optional<appkit::Image> powerIconImage(const ControlledDisplay& display);
    // One display's power tile, registered under its tag; drawn for the display's state.
    QWidget* makePowerTile(const ControlledDisplay& display, int position, int width);

    // --- Brightness and volume of every display, as the sliders show and remember it ---
    std::map<int, ControlledDisplay> sliderDisplays; // brightness-slider tag -> display
    std::map<int, QPointer<QLabel>> brightnessLabels;
    std::map<int, ControlledDisplay> volumeSliders; // volume-slider tag -> display
    std::map<int, QPointer<QLabel>> volumeLabels;
    QPointer<appkit::Button> autoSyncButton;
    QPointer<appkit::Button> autoBrightnessCheckbox;
    int timerTickCount = 0;
    static constexpr int brightnessSliderTagBase = 1000;
    static constexpr int volumeSliderTagBase = 3000;
    void brightnessChanged(appkit::Slider& sender);
    void volumeChanged(appkit::Slider& sender);
    void loadVolumeValues();
    void autoBrightnessChanged(appkit::Button& sender);
    void autoSyncChanged(appkit::Button& sender);
    void startSyncTimer();
    void syncBrightnessIfNeeded();
    void applyRelativeBrightnessChange(float from, float to);
    void updateVolumeSlidersEnablement();
    void updateVolumeLabel(int tag, float value);
    std::map<DisplayID, float> currentBrightnesses;
    std::map<DisplayID, float> lastKnownBrightnesses; // last value above 0.001
    std::optional<float> lastBuiltInBrightness;
    static std::string brightnessPreferenceKey(const ControlledDisplay& display);
    static std::string lastKnownBrightnessPreferenceKey(const ControlledDisplay& display);
    static std::string volumePreferenceKey(const ControlledDisplay& display);
    // A stored brightness as a fraction from 0 to 1; the fallback when absent or no number.
    static float storedBrightness(const std::string& key, float fallback);
    // The name's keys are shared by same-named monitors: each display also keeps its own
    // (KEY@ID|identity), and reads the name's only when no other monitor of the name could
    // have written it.
    std::string ownBrightnessKey(const std::string& key, const ControlledDisplay& display) const;
    void storeBrightness(const std::string& key, const ControlledDisplay& display, float value);
    float ownStoredBrightness(const std::string& key, const ControlledDisplay& display,
                              float fallback);
    void updateSlider(const ControlledDisplay& display, float value);
    // What a display shows as a Zen or Pomodoro run starts: the known value, else a DDC read,
    // else the stored one, else 0.5.
    float startingBrightness(const ControlledDisplay& display);
    void updateBrightnessLabel(int tag, float value);
    void loadBrightnessValues();
    void refreshBuiltInBaseline();

    // --- Protector mode, Escape and the cursor ---
    bool isCursorHiddenGlobally = false;
    void start();
    void stop();
    void setCursorHidden(bool hidden);
    void installEscapeKeyMonitors();

    // --- What the program darkened: one record per display of the brightness it had before, ---
    // --- on disk until its light is back, so that a crash or a kill is undone at the next start
    // ---
    std::shared_ptr<RecoveryJournal> recoveryJournal;
    std::set<DisplayID> recoveryPending; // left dark by an earlier run, not plugged in now
    bool recoveringAtLaunch = true;
    // The journal was damaged at launch: displays plugged in later are looked at once too.
    bool damagedJournalFallback = false;
    std::set<DisplayID> damageChecked;
    static constexpr const char* recoveryJournalPath =
        "~/Library/Application Support/Nightlid/recovery.json";
    // Reasons a display is held dark.
    static constexpr const char* darkOff = "off";
    static constexpr const char* darkZen = "zen";
    static constexpr const char* darkPomodoro = "pomodoro";
    static constexpr const char* darkDim = "dim";
    // A feature darkens a display: the brightness it had before the program first darkened it
    // (brightnessNow when nothing holds it yet).
    float holdDark(const ControlledDisplay& display, const char* reason, float brightnessNow);
    // The feature lets go; the brightness to bring back when no other feature holds it.
    std::optional<float> releaseDark(DisplayID id, const char* reason);
    bool isHeldDark(DisplayID id) const;
    // Held, or released but its light not yet known to be back: what it shows is no value to
    // keep.
    bool isDarkened(DisplayID id) const;
    // What a feature starts from: the record of a display already dark, else what it shows.
    float brightnessBeforeDark(const ControlledDisplay& display);
    // A display's light back once no feature holds it: its record stays until the value has
    // landed, and a failed write is tried again (after 1, 2, 4 ... 60 s; at once when displays
    // are plugged in or come online, or the machine wakes). landedLog, a format taking the
    // display's name and the value, is logged once it has landed. A display still held by
    // another feature only gets the write.
    void bringBack(const ControlledDisplay& display, float value, std::string landedLog = {});
    struct OwedLight {
        ControlledDisplay display;
        float value = 0;
        uint64_t attempt = 0;
        int failures = 0;
        std::string landedLog;
    };
    std::map<DisplayID, OwedLight> owedLights;
    uint64_t lightAttempts = 0;
    void sendOwedLight(DisplayID id);
    void lightLanded(DisplayID id, uint64_t attempt, bool landed);
    // Every display owed its light that is connected now gets it at once.
    void retryOwedLight();
    // Changes of each display's dark state: a reading taken across one is stale.
    std::map<DisplayID, uint64_t> darkChanges;
    uint64_t darkChange(DisplayID id) const;
    // Which monitor a display is (maker, model and serial where the system tells them).
    std::string displayIdentity(const ControlledDisplay& display) const;
    // An identity as it compares (a journal of an earlier version wrote the name before it).
    static std::string sameIdentity(const std::string& identity);
    // Whether the identity can tell a monitor from its twins (a serial other than 0).
    static bool identityTellsApart(const std::string& identity);
    // Another connected display has the same name, so the name's stored values are not its own.
    bool hasTwin(const ControlledDisplay& display) const;
    // Lets go of a display that is not plugged in: it is lit when it comes back.
    void releaseWhileUnplugged(DisplayID id, std::initializer_list<const char*> reasons);
    // Switched-off displays that are unplugged now, their features ended: lit when plugged in.
    void releaseUnpluggedOffDisplays(std::initializer_list<const char*> alsoReasons);
    bool isConnected(DisplayID id) const;
    // The engine's list is not refreshed while protector mode is on: a feature that brings
    // displays back first takes the system's list.
    void refreshDisplaysIfStale();
    // At launch: every display of the journal gets its brightness back; later (a display was
    // plugged in): those of an earlier run, and those whose light is still owed.
    void recoverFromUncleanExit();
    // A record whose monitor is connected under another ID goes with it there.
    void followMonitorsToTheirIDs(bool atLaunch);
    // A damaged journal says nothing of these displays: one found dark or dimmed gets its stored
    // brightness back.
    void recoverWithoutJournal(const std::vector<ControlledDisplay>& displays);
    // Shut-down: what was asked of the monitors goes out, and what landed leaves the journal.
    void settleRestores();
    // The registry's record of a display, else the last one kept, else one made from its ID.
    ControlledDisplay displayRecord(DisplayID id, bool builtIn) const;

    // --- Keyboard backlight ---
    std::map<uint64_t, float> savedKeyboardBrightnesses;
    void turnOffKeyboardBacklight();
    void restoreKeyboardBacklight();

    // --- Sound output ---
    QPointer<ui::StyledPopUpButton> audioOutputPopup;
    std::vector<uint32_t> audioDeviceIDs; // entry i is the device of pop-up item i
    void populateAudioDevices();
    void audioOutputChanged(appkit::PopUpButton& sender);
    void syncAudioOutputDeviceUI();
    void installAudioOutputListener();

    // --- Global hotkeys: one combination per display, stored under its ID and its name ---
    struct Hotkey {
        uint16_t code;
        uint32_t modifiers; // Carbon mask
        bool operator==(const Hotkey&) const = default;
    };
    std::map<DisplayID, uint64_t> hotKeyRefs;                   // the registrations that succeeded
    std::map<DisplayID, Hotkey> heldHotkeys;                    // what each of those holds
    std::map<DisplayID, std::pair<Hotkey, int>> refusedHotkeys; // with the status refusing it
    std::optional<uint64_t> hotkeyHandlerRef;
    // A display's own stored combination, else its name's when it is the first connected
    // display of that name, else its default.
    std::optional<Hotkey> hotkey(const ControlledDisplay& display) const;
    bool holdsNameHotkey(const ControlledDisplay& display) const;
    // A recorded combination, under the display's ID and, when they are its own, its name.
    void storeHotkey(const ControlledDisplay& display, Hotkey combination);
    std::optional<Hotkey> defaultHotkey(const ControlledDisplay& display) const;
    // What a display's pill shows: what it holds, a refused combination marked as refused.
    std::string hotkeyPillTitle(const ControlledDisplay& display) const;
    // Every pill after any registration, so none shows a combination that does not work.
    void refreshHotkeyPills();
    void drawHotkeyPill(const ControlledDisplay& display);
    void registerAllGlobalHotkeys();
    void unregisterAllGlobalHotkeys();
    void installHotkeyPressedHandler();
    static constexpr int hotkeyButtonTagBase = 5000;
    static constexpr int hotkeyIconTagBase = 6000; // the tile's display icon
    // Recording a new combination.
    bool isRecordingHotkey = false;
    std::optional<DisplayID> recordingDisplayID;
    std::optional<int> hotkeyEventMonitor;
    std::map<DisplayID, QPointer<appkit::Button>> hotkeyButtons;
    std::map<int, ControlledDisplay> hotkeyButtonDisplays; // hotkey-button tag -> display
    void hotkeyButtonClicked(appkit::Button& sender);
    void enterHotkeyRecording(const ControlledDisplay& display);
    void exitHotkeyRecording(bool cancelled);
    std::optional<platform::Event> handleHotkeyRecordingEvent(const platform::Event& event);
    static std::string hotkeyString(uint16_t keyCode, uint32_t modifiers);
    static std::string keyName(uint16_t keyCode);

    // --- Battery and power: status, charge limit through the helper, calibration ---
    std::optional<int> cachedMaxCapacity;
    PowerStatus fetchPowerStatus();
    int fetchMaximumCapacityFromSystemProfiler();
    bool systemProfilerAsked = false;
    void askSystemProfilerOnce();
    std::string getConditionTranslation(const std::string& condition) const;
    void installPowerSourceNotification();
    int appliedLimit = 80;
    QPointer<appkit::Button> chargeLimitCheckbox;
    QPointer<appkit::Slider> chargeLimitSlider;
    QPointer<QLabel> chargeLimitValueLabel;
    QPointer<appkit::Button> chargeLimitApplyButton;
    QPointer<QWidget> chargeLimitApplyRow;
    void loadChargeLimitSettings();
    void chargeLimitToggled(appkit::Button& sender);
    void chargeLimitSliderChanged(appkit::Slider& sender);
    void chargeLimitApplyClicked();
    // False (and a log line) when the file could not be written.
    bool writeLimitToFile(int limit);
    void waitForHelperFolder();
    // The card follows the limit file whenever it refreshes: it never shows a limit nobody
    // enforces.
    void syncChargeLimitWithFile();
    // Writes what the card shows, or the limit given; false (said in an alert, the card back to
    // the file) on failure.
    bool updateHelperLimit();
    bool updateHelperLimit(int limit);
    // A switch-on or switch-off is under way: its alerts are open, the file not written yet.
    bool chargeLimitChanging = false;
    bool isHelperInstalled();
    bool installHelper();
    void checkMacOSOptimizedCharging();
    bool isMacOSOptimizedChargingEnabled();
    static const char* launchDaemonDefinition();
    std::optional<int> readLimitFile() const;
    // What the last refused reads were, so each is logged once, not at every refresh.
    mutable std::string limitFileRefusal, calibrationFileRefusal;
    void showChargeLimitValue(bool on);
    // The card.
    QPointer<QWidget> powerStatusCard;
    QPointer<QLabel> powerSourceLabel, chargingStatusLabel, batteryHealthLabel, batteryCycleLabel;
    QPointer<QLabel> calibrationStatusLabel, helperWarningLabel;
    // The limit's promise, hidden where the helper says it cannot control charging.
    QPointer<QLabel> chargeLimitDescriptionLabel;
    QPointer<appkit::Button> calibrationButton;
    bool isApplyingPowerSourceTransition = false;
    bool isApplyingChargingStatusTransition = false;
    int powerSourceTransitionElapsed = 0;
    int chargingStatusTransitionElapsed = 0;
    bool initialIsDrawingFromAC = false;
    bool initialIsChargingState = false;
    std::shared_ptr<platform::Timer> limitTransitionTimer;
    uint32_t sleepAssertionID = 0;
    void updatePowerStatusUI();
    void startLimitTransition(bool on);
    void startChargingStatusOnlyTransition();
    void updateSleepAssertion(bool isConnected, bool isCharging, int percent);
    void releaseSleepAssertion();
    static int powerSourceProgress(int elapsed);
    static int chargingStatusProgress(int elapsed);
    // Calibration.
    struct CalibrationCardText {
        std::string line, button;
        bool running = false;
        std::string problem; // why the file is not used, for the line's tool tip
    };
    helper::CalibrationFile readCalibrationState() const;
    bool writeCalibrationState(const std::string& line);
    void showCalibrationNotSaved();
    CalibrationCardText calibrationCardText(const helper::CalibrationFile& file) const;
    void calibrationButtonClicked();

    // --- Zen mode: a timed breathing exercise over black screens ---
    std::map<DisplayID, std::unique_ptr<zen::ZenWindow>> zenWindows;
    bool isZenModeActive = false;
    bool isZenModePaused = false;
    std::map<DisplayID, float> zenOriginalBrightnesses;
    std::shared_ptr<platform::Timer> zenCountdownTimer;
    int zenSecondsRemaining = 180;
    std::shared_ptr<zen::ZenSettingsPanel> zenSettingsPanel;
    DisplayID zenPrimaryDisplayID = 0;
    void zenButtonClicked();
    void showZenSettings();
    void startZenMode(int durationMin);
    void toggleZenModePause();
    void stopZenMode(bool finished = false);
    void zenCountdownStep();
    zen::ZenView* primaryZenView() const;

    // --- Pomodoro: focus and break phases over a number of cycles ---
    using PomodoroPhase = pomodoro::Phase;
    bool isPomodoroActive = false;
    int64_t pomodoroFocusDuration = 1500; // seconds
    int64_t pomodoroBreakDuration = 300;
    int64_t pomodoroTotalCycles = 4;
    int64_t pomodoroCurrentCycle = 1;
    int64_t pomodoroSecondsRemaining = 0;
    PomodoroPhase pomodoroPhase = PomodoroPhase::focus;
    std::shared_ptr<platform::Timer> pomodoroTimer;
    std::map<DisplayID, float> pomodoroOriginalBrightnesses;
    std::map<DisplayID, std::unique_ptr<zen::ZenWindow>> pomodoroWindows;
    std::shared_ptr<pomodoro::PomodoroStatusPanel> pomodoroStatusPanel;
    std::shared_ptr<pomodoro::PomodoroSettingsPanel> pomodoroSettingsPanel;
    QPointer<appkit::Button> pomodoroButton;
    bool pomodoroAlertShown = false;
    bool isShowingStopAlert = false; // the run's one paused flag
    // The start overlay while it shows.
    std::shared_ptr<pomodoro::PomodoroStartOverlayWindow> pomodoroStartOverlay;
    void startPomodoro(int focusMin, int breakMin, int cycles);
    void handlePomodoroTick();
    void enterPomodoroBreakPhase();
    void enterPomodoroFocusPhase();
    void skipPomodoroBreak();
    void togglePomodoroPause();
    void togglePomodoroPauseFromBreak();
    void updateBreakViewPausedState(bool paused);
    void stopPomodoroAlert();
    // The stop question's answer: 1000 for its first button ("Stop"), 1001 for "Resume".
    void handleAlertResponse(int response);
    void stopPomodoro(bool finished = false);
    void stopPomodoroFromAction();
    void updateMenuBarTimer();
    void sendPomodoroNotification(const std::string& title, const std::string& body);
    void pomodoroButtonClicked();
    void showPomodoroStatus();
    void showPomodoroSettings();
    void showPomodoroStartToast(int durationMin);
    pomodoro::PomodoroBreakView* pomodoroBreakView() const;
    // Every display back as the run found it (monitors on, the panel at its brightness), and
    // the monitors off for a break.
    void restorePomodoroDisplays();
    // The brightness the run brings a display back to, taken when the run first meets it.
    float pomodoroStartingBrightness(const ControlledDisplay& display);
    void switchPomodoroMonitorsOff();
    // 0.2 s after a break screen shows: activation, the windows to the front, then the cursor
    // shown (at break entry) or the bar shown (resuming into a break).
    void activatePomodoroBreakWindows(bool showBar);
    // The 1-second tick, replacing any tick still scheduled.
    std::shared_ptr<platform::Timer> schedulePomodoroTick();

    // --- The system's blue-light filter ---
    std::unique_ptr<platform::BlueLightClient> cbClient;
    QPointer<appkit::Button> blueLightCheckbox;
    QPointer<appkit::Slider> blueLightSlider;
    QPointer<QLabel> blueLightValueLabel;
    void syncBlueLightUI();
    void blueLightToggled(appkit::Button& sender);
    void blueLightStrengthChanged(appkit::Slider& sender);
    void installBlueLightStatusHandler();

    // --- Keep awake: screens off while the machine stays reachable ---
    bool isRemoteStandbyActive = false;
    double standbyStartedAt = 0; // seconds since 1970
    std::optional<int> remoteMouseMonitor;
    std::shared_ptr<platform::Timer> idleCheckTimer;
    uint32_t remoteStandbyAssertionID = 0;
    QPointer<appkit::Button> autoRemoteStandbyCheckbox;
    QPointer<appkit::PopUpButton> remoteStandbyTimeoutPopup;
    QPointer<appkit::Button> keepAwakeTurnOffScreenCheckbox;
    QPointer<appkit::Button> startRemoteStandbyButton;
    static constexpr const char* standbyTracePath = "~/Library/Logs/Nightlid/standby-trace.log";
    static const std::array<int, 6>& remoteStandbyTimeouts(); // seconds per pop-up item
    void autoRemoteStandbyToggled(appkit::Button& sender);
    void turnOffScreenToggled(appkit::Button& sender);
    void remoteStandbyTimeoutChanged(appkit::PopUpButton& sender);
    void startRemoteStandbyClicked();
    void updateIdleTimerState();
    void checkIdleTime();
    double getSystemIdleTime();
    void enterRemoteStandby();
    void exitRemoteStandby();
    void enableRemoteStandbySleepAssertion();
    void disableRemoteStandbySleepAssertion();

    // --- Display modes and arrangement ---
    static constexpr int arrangementPopUpTagBase = 4000;
    static constexpr int resolutionPopUpTagBase = 5000;  // a map apart from the hotkey buttons'
    std::map<int, ControlledDisplay> modeSegments;       // arrangement pop-up tag -> display
    std::map<int, ControlledDisplay> resolutionDisplays; // resolution pop-up tag -> display
    std::map<int, std::vector<platform::DisplayMode>> displayModesByTag;
    std::vector<platform::DisplayMode> getRecommendedScalingModes(DisplayID id, bool isBuiltIn);
    void changeResolution(DisplayID id, const platform::DisplayMode& mode);
    void displayResolutionChanged(appkit::PopUpButton& sender);
    // Only a pop-up sender is acted on.
    void displayModeChanged(QWidget* sender);
    void changeDisplayMode(DisplayID id, int choice);
    // 0.5 s after a configuration transaction: the handler of a screen change, rebuilding the
    // visible window even when the set of displays is the same.
    void scheduleRebuildAfterConfiguration();
    QWidget* buildArrangementRow(const ControlledDisplay& display, int position);
    QWidget* buildResolutionRow(const ControlledDisplay& display, int position);

    // --- Display registry ---
    std::map<DisplayID, ControlledDisplay> cachedDisplaysByID;

    void recreateStatusMenu();
    void statusItemClicked();
    void checkForUpdates();
    void terminateCompetingMonitorControl();
    void autoLaunchToggled(appkit::Button& checkbox);
    bool launchAtLoginInitialState() const;
    // rebuildVisibleWindow: a shown window is rebuilt even when the displays are the same (it
    // must show a new mode or arrangement).
    void screenConfigurationChanged(bool rebuildVisibleWindow = false);
    void stopDisplayServices();
    void traceLog(const std::string& message);
    void showAlert(const std::string& title, const std::string& message);
    std::string t(const std::string& korean, const std::string& english) const;
    bool isEnglish() const;
    // The KO/EN control: segment 1 is English.
    void languageChanged(int selectedSegment);

    // --- The control window ---
    QPointer<QScrollArea> mainScrollView;
    void showControlWindow();
    // A visible window rebuilt in its place, for a list of displays that changed.
    void rebuildShownControlWindow();
    void adjustWindowHeight(bool animated = false);
    // The pieces of showControlWindow: the displays it shows, their column, the window.
    std::vector<ControlledDisplay> windowDisplays();
    appkit::StackView* buildControlColumn(const std::vector<ControlledDisplay>& shown);
    std::unique_ptr<appkit::Window> makeControlWindow(QWidget* content, int height,
                                                      std::optional<QPoint> place);
    void windowWillClose();
    void windowWillMiniaturize();
    void windowDidMiniaturize();
    void windowDidDeminiaturize();
    void windowDidMove();
    // The model family for the built-in card's title: " (맥북)" on a MacBook, else empty.
    std::string getMacModelBaseName() const;
    std::string getMacModelDisplayName() const;

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
    QWidget* buildPowerTiles(const std::vector<ControlledDisplay>& shown);
    QWidget* buildDisplayCard(const ControlledDisplay& display, int position);
    QWidget* buildSystemCard();
    QWidget* buildBatteryCard();
    QWidget* buildKeepAwakeCard();
    ui::CollapsibleCard* makeCard(const std::string& key, const std::string& symbol,
                                  const std::string& title, const std::vector<QWidget*>& rows);
    // The column of the control window's scroll view, or null.
    appkit::StackView* controlColumn() const;
    // How tall the control window may be: its screen's visible height less 60 points.
    double controlWindowRoom() const;
    // Where the sync checkbox may be used: a panel, a monitor and automatic brightness on.
    bool syncCheckboxUsable(bool autoBrightnessOn) const;
    QWidget* buildToolbar();
    void configureStatusItem();
};

// Short form used by every feature for its texts.
inline std::string t(const std::string& korean, const std::string& english) {
    return BlackoutController::shared().t(korean, english);
}
