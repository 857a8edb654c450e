#include "app/BlackoutController.h"
#include "platform/CoreBrightness.h"
#include "platform/Hotkeys.h"
#include "platform/InputActivity.h"
#include "zen/ZenSettingsPanel.h"
#include "zen/ZenWindow.h"

#include "platform/SymbolImages.h"
#include "appkit/Window.h"
#include "display/BrightnessController.h"
#include "display/DisplayEngine.h"
#include "blackout/RecoveryJournal.h"
#include "platform/InputActivity.h"
#include "platform/Platform.h"
#include "platform/Screens.h"
#include "platform/StatusBar.h"
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
    brightnessController->journal = recoveryJournal;
    // Before anything else: an earlier run may have left displays dark.
    recoverFromUncleanExit();
    configureStatusItem();
    recreateStatusMenu();
    // Callbacks reach the controller through shared(), so none outlives it.
    screenParametersObserver = platform::current().screens->addScreenParametersObserver([] {
        if (hasShared()) shared().screenConfigurationChanged();
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
