#include "app/BlackoutController.h"
#include "platform/CoreBrightness.h"
#include "platform/Hotkeys.h"
#include "platform/InputActivity.h"
#include "zen/ZenSettingsPanel.h"
#include "zen/ZenWindow.h"

#include "appkit/Window.h"
#include "blackout/RecoveryJournal.h"
#include "display/BrightnessController.h"
#include "display/DisplayEngine.h"
#include "platform/InputActivity.h"
#include "platform/Platform.h"
#include "platform/Screens.h"
#include "platform/StatusBar.h"
#include "platform/SymbolImages.h"
#include "platform/SystemPaths.h"

namespace {

std::unique_ptr<BlackoutController>& sharedInstance() {
    static std::unique_ptr<BlackoutController> instance;
    return instance;
}

} // namespace

BlackoutController& BlackoutController::shared() {
    auto& instance = sharedInstance();
    if (!instance) instance.reset(new BlackoutController());
    return *instance;
}

bool BlackoutController::hasShared() {
    return sharedInstance() != nullptr;
}

void BlackoutController::tearDownShared() {
    sharedInstance().reset();
}

BlackoutController::BlackoutController()
    : brightnessController(std::make_shared<BrightnessController>()),
      displayEngine(DisplayEngine::shared()),
      statusItem(
          platform::current().statusBar->createStatusItem(platform::kVariableStatusItemLength)) {
    auto& p = platform::current();
    if (p.coreBrightness) cbClient = p.coreBrightness->createBlueLightClient();
    recoveryJournal = std::make_shared<RecoveryJournal>(p.paths->map(recoveryJournalPath), p.log);
    // The panel protector mode darkens is one more display of the one owner.
    brightnessController->holdPanel = [](DisplayID id, float now) {
        auto& c = shared();
        return c.holdDark(c.displayRecord(id, true), darkDim, now);
    };
    brightnessController->bringPanelBack = [](DisplayID id, float brightness) {
        auto& c = shared();
        c.releaseDark(id, darkDim);
        // Still dark for another feature (switched off): that one brings it back.
        if (c.isHeldDark(id)) return;
        if (!c.isConnected(id)) return; // lid closed: it is lit when it comes online
        c.bringBack(c.displayRecord(id, true), brightness);
    };
    // Before anything else: an earlier run may have left displays dark.
    recoverFromUncleanExit();
    configureStatusItem();
    recreateStatusMenu();
    // Callbacks reach the controller through shared(), so none outlives it.
    screenParametersObserver = platform::current().screens->addScreenParametersObserver([] {
        if (hasShared()) shared().screenConfigurationChanged();
    });
    // A monitor asleep with the machine refused what was owed to it: it is tried again.
    wakeObserver = platform::current().screens->addWakeObserver([] {
        if (hasShared()) shared().retryOwedLight();
    });
    installPowerSourceNotification();
    installAudioOutputListener();
    installEscapeKeyMonitors();
    installBlueLightStatusHandler();
    registerAllGlobalHotkeys();
    installHotkeyPressedHandler();
}

BlackoutController::~BlackoutController() {
    if (screenParametersObserver)
        platform::current().screens->removeScreenParametersObserver(*screenParametersObserver);
    if (wakeObserver) platform::current().screens->removeWakeObserver(*wakeObserver);
    if (syncTimer) syncTimer->invalidate();
    if (limitTransitionTimer) limitTransitionTimer->invalidate();
    // Another controller may follow on the same machine (tests): it registers afresh.
    unregisterAllGlobalHotkeys();
    if (hotkeyEventMonitor) platform::current().inputActivity->removeMonitor(*hotkeyEventMonitor);
    if (hotkeyHandlerRef) platform::current().hotkeys->removeEventHandler(*hotkeyHandlerRef);
}

void BlackoutController::configureStatusItem() {
    if (!statusItem || !statusItem->hasButton()) return;
    if (platform::hasSystemSymbol("laptopcomputer"))
        statusItem->setImage("laptopcomputer", "Night Lid");
    else
        statusItem->setTitle("Dim");
    statusItem->setAction(
        [] {
            if (hasShared()) shared().statusItemClicked();
        },
        platform::SendActionOn{.leftMouseUp = true, .rightMouseUp = true});
    statusItem->setToolTip("Night Lid");
}

ControlledDisplay BlackoutController::displayRecord(DisplayID id, bool builtIn) const {
    for (const auto& d : displayEngine.displays)
        if (d.id == id) return d;
    if (auto it = cachedDisplaysByID.find(id); it != cachedDisplaysByID.end()) return it->second;
    ControlledDisplay d;
    d.id = id;
    d.isBuiltIn = builtIn;
    // As the registry names a display the system gives no name for.
    d.name = builtIn ? "내장 디스플레이" : "외장 디스플레이";
    return d;
}

void BlackoutController::stopDisplayServices() {
    // Nothing the program darkened stays dark after it ends.
    if (isZenModeActive) stopZenMode(false);
    if (isPomodoroActive) stopPomodoro(false);
    if (syncTimer) syncTimer->invalidate();
    syncTimer.reset();
    restorePoweredOffDisplays();
    restoreKeyboardBacklight();
    if (escapeKeyMonitor) {
        if (auto* input = platform::current().inputActivity)
            input->removeMonitor(*escapeKeyMonitor);
        escapeKeyMonitor.reset();
    }
    if (screenParametersObserver) {
        platform::current().screens->removeScreenParametersObserver(*screenParametersObserver);
        screenParametersObserver.reset();
    }
}
