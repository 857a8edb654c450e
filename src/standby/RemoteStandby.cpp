#include "app/BlackoutController.h"
#include "appkit/Button.h"
#include "appkit/PopUpButton.h"
#include "display/DisplayEngine.h"
#include "platform/IORegistry.h"
#include "platform/InputActivity.h"
#include "platform/OutsideFiles.h"
#include "platform/Platform.h"
#include "platform/PowerSources.h"
#include "platform/RunLoop.h"
#include "platform/SystemLocale.h"
#include "platform/SystemLog.h"
#include "platform/SystemPaths.h"
#include "platform/UserDefaults.h"

#include <QDateTime>
#include <QTimeZone>

#include <array>

namespace {

constexpr const char* kAssertionName = "Night Lid - Remote Standby";
constexpr double kIgnoreClicksFor = 2.0; // the click on the button itself
constexpr int kDefaultTimeout = 300;

bool checked(const QPointer<appkit::Button>& b) {
    return b && b->state() == appkit::ControlState::on;
}

// "[2026-03-02 00:00:21 +0000] " and the text, added to the trace file when it exists. Never
// waits on it: the displays come back right after this line is written.
void trace(const std::string& text) {
    auto& p = platform::current();
    const auto when =
        QDateTime::fromSecsSinceEpoch(qint64(p.locale->secondsSince1970()), QTimeZone::utc());
    std::string error;
    if (!platform::appendToOutsideFile(p.paths->map(BlackoutController::standbyTracePath),
                                       "[" + when.toString("yyyy-MM-dd HH:mm:ss").toStdString() +
                                           " +0000] " + text + "\n",
                                       error) &&
        !error.empty())
        platform::logf("Nightlid: keep-awake trace not written: %s", error.c_str());
}

} // namespace

const std::array<int, 6>& BlackoutController::remoteStandbyTimeouts() {
    static const std::array<int, 6> seconds = {60, 120, 300, 600, 900, 1800};
    return seconds;
}

void BlackoutController::autoRemoteStandbyToggled(appkit::Button& sender) {
    auto& defaults = *platform::current().defaults;
    defaults.set("autoRemoteStandby", sender.state() == appkit::ControlState::on);
    defaults.synchronize();
    updateIdleTimerState();
}

void BlackoutController::turnOffScreenToggled(appkit::Button& sender) {
    auto& defaults = *platform::current().defaults;
    defaults.set("keepAwakeTurnOffScreen", sender.state() == appkit::ControlState::on);
    defaults.synchronize();
    updateIdleTimerState();
}

void BlackoutController::remoteStandbyTimeoutChanged(appkit::PopUpButton& sender) {
    const int index = sender.indexOfSelectedItem();
    const auto& choices = remoteStandbyTimeouts();
    const int seconds =
        index >= 0 && index < int(choices.size()) ? choices[size_t(index)] : kDefaultTimeout;
    auto& defaults = *platform::current().defaults;
    defaults.set("autoRemoteStandbyTimeout", int64_t(seconds));
    defaults.synchronize();
}

void BlackoutController::startRemoteStandbyClicked() {
    if (isRemoteStandbyActive) exitRemoteStandby();
    enterRemoteStandby();
    updateIdleTimerState();
}

void BlackoutController::updateIdleTimerState() {
    const bool keepAwake = checked(autoRemoteStandbyCheckbox);
    const bool screenOff = checked(keepAwakeTurnOffScreenCheckbox);
    if (keepAwake || isRemoteStandbyActive)
        enableRemoteStandbySleepAssertion();
    else
        disableRemoteStandbySleepAssertion();
    if (keepAwake && screenOff && !isRemoteStandbyActive) {
        if (!idleCheckTimer)
            idleCheckTimer = platform::mainQueue().scheduleRepeating(1.0, [](platform::Timer&) {
                if (hasShared()) shared().checkIdleTime();
            });
    } else {
        if (idleCheckTimer) idleCheckTimer->invalidate();
        idleCheckTimer.reset();
    }
}

void BlackoutController::checkIdleTime() {
    const double idle = getSystemIdleTime();
    if (isRemoteStandbyActive || !checked(autoRemoteStandbyCheckbox) ||
        !checked(keepAwakeTurnOffScreenCheckbox))
        return;
    const auto stored = platform::current().defaults->integer("autoRemoteStandbyTimeout");
    const double timeout = stored && *stored > 0 ? double(*stored) : kDefaultTimeout;
    if (idle >= timeout) {
        enterRemoteStandby();
        updateIdleTimerState();
    }
}

double BlackoutController::getSystemIdleTime() {
    auto* registry = platform::current().ioRegistry;
    auto service = registry ? registry->matchingService("IOHIDSystem") : nullptr;
    auto properties = service ? registry->createCFProperties(service) : std::nullopt;
    const auto* idle = properties ? properties->find("HIDIdleTime") : nullptr;
    if (!idle) return 0;
    if (auto ns = idle->integer()) return double(*ns) / 1e9;
    if (auto ns = idle->number()) return *ns / 1e9;
    return 0;
}

void BlackoutController::enterRemoteStandby() {
    if (isRemoteStandbyActive) return;
    auto& p = platform::current();
    isRemoteStandbyActive = true;
    standbyStartedAt = p.locale->secondsSince1970();
    trace(">>> ENTER REMOTE STANDBY");
    if (!remoteMouseMonitor && p.inputActivity)
        remoteMouseMonitor = p.inputActivity->addGlobalMonitorForEvents(
            platform::eventMaskFor(platform::EventType::leftMouseDown) |
                platform::eventMaskFor(platform::EventType::rightMouseDown),
            [](const platform::Event& event) {
                if (!hasShared()) return;
                auto& c = shared();
                if (!c.isRemoteStandbyActive) return;
                // Only local hardware wakes it: remote-control software's clicks do not.
                const double since =
                    platform::current().locale->secondsSince1970() - c.standbyStartedAt;
                if (event.sourceProcessID != 0 || since <= kIgnoreClicksFor) return;
                platform::mainQueue().async([] {
                    if (!hasShared()) return;
                    shared().exitRemoteStandby();
                    shared().updateIdleTimerState();
                });
            });
    // A copy: switching a display off rebuilds the engine's list.
    const std::vector<ControlledDisplay> displays = displayEngine.displays;
    for (const auto& d : displays)
        if (!poweredOffBrightnesses.count(d.id)) powerOffDisplay(d);
    turnOffKeyboardBacklight();
    enableRemoteStandbySleepAssertion();
}

void BlackoutController::exitRemoteStandby() {
    if (!isRemoteStandbyActive) return;
    isRemoteStandbyActive = false;
    trace("<<< EXIT REMOTE STANDBY");
    if (remoteMouseMonitor) {
        if (auto* input = platform::current().inputActivity)
            input->removeMonitor(*remoteMouseMonitor);
        remoteMouseMonitor.reset();
    }
    refreshDisplaysIfStale();
    const std::vector<ControlledDisplay> displays = displayEngine.displays;
    for (const auto& d : displays)
        restorePoweredOffDisplay(d);
    // Those unplugged meanwhile are lit when they come back.
    releaseUnpluggedOffDisplays({});
    restoreKeyboardBacklight();
    disableRemoteStandbySleepAssertion();
}

void BlackoutController::enableRemoteStandbySleepAssertion() {
    if (remoteStandbyAssertionID != 0) return;
    auto* assertions = platform::current().powerAssertions;
    uint32_t id = 0;
    if (assertions &&
        assertions->createAssertion("NoIdleSleepAssertion", 255, kAssertionName, id) == 0)
        remoteStandbyAssertionID = id;
}

void BlackoutController::disableRemoteStandbySleepAssertion() {
    if (remoteStandbyAssertionID == 0) return;
    if (auto* assertions = platform::current().powerAssertions)
        assertions->releaseAssertion(remoteStandbyAssertionID);
    remoteStandbyAssertionID = 0;
}
