#include "app/AppDelegate.h"
#include "app/BlackoutController.h"

#include "appkit/Alert.h"
#include "appkit/Button.h"
#include "platform/Applications.h"
#include "platform/LoginItems.h"
#include "platform/Platform.h"
#include "platform/SystemLog.h"
#include "platform/Updater.h"
#include "platform/UserDefaults.h"

void BlackoutController::checkForUpdates() {
    auto* delegate = AppDelegate::current();
    if (delegate && delegate->updaterController) {
        delegate->updaterController->checkForUpdates();
        return;
    }
    // A build without an updater says so rather than leaving the click unanswered.
    appkit::Alert alert;
    alert.alertStyle = platform::AlertStyle::informational;
    alert.messageText =
        t("이 빌드는 스스로 업데이트하지 않습니다", "This build does not update itself");
    alert.informativeText =
        t("새 버전은 직접 내려받아 설치해 주세요.", "Download and install new versions yourself.");
    alert.addButton(t("확인", "OK"));
    alert.runModal();
}

void BlackoutController::terminateCompetingMonitorControl() {
    auto* applications = platform::current().applications;
    for (const auto& app : applications->runningApplications(competingMonitorControlBundleID))
        app->terminate();
}

void BlackoutController::autoLaunchToggled(appkit::Button& checkbox) {
    const bool on = checkbox.state() == appkit::ControlState::on;
    auto* loginItems = platform::current().loginItems;
    if (!loginItems || !loginItems->hasMainAppService()) {
        platform::current().defaults->set("launchAtLogin", on);
        return;
    }
    std::optional<std::string> error;
    if (on) {
        // Registering again over an enabled service refreshes it; a failure to unregister
        // first does not matter.
        if (loginItems->mainAppStatus() == platform::LoginItemStatus::enabled)
            (void)loginItems->unregisterMainApp();
        error = loginItems->registerMainApp();
    } else {
        error = loginItems->unregisterMainApp();
    }
    if (error) {
        platform::logf("Failed to toggle login item service: %s", error->c_str());
        checkbox.setState(on ? appkit::ControlState::off : appkit::ControlState::on);
    }
    // Registered but not allowed yet, or refused because the person switched Nightlid off in
    // Login Items: macOS launches it only once it is allowed there, so say where.
    if (on && loginItems->mainAppStatus() == platform::LoginItemStatus::requiresApproval) {
        appkit::Alert alert;
        alert.messageText = t("로그인 항목 허용 필요", "Login Item Needs Approval");
        alert.informativeText =
            t("로그인 시 Nightlid를 실행하려면 [시스템 설정] -> [일반] -> [로그인 항목]에서 "
              "Nightlid를 허용해 주세요.",
              "To launch Nightlid at login, allow it in [System Settings] -> [General] -> "
              "[Login Items].");
        alert.addButton(t("시스템 설정 열기", "Open System Settings"));
        alert.addButton(t("나중에", "Later"));
        if (alert.runModal() == 0) loginItems->openLoginItemsSettings();
    }
}

bool BlackoutController::launchAtLoginInitialState() const {
    auto* loginItems = platform::current().loginItems;
    if (loginItems && loginItems->hasMainAppService())
        return loginItems->mainAppStatus() == platform::LoginItemStatus::enabled;
    return platform::current().defaults->boolValue("launchAtLogin").value_or(false);
}

void BlackoutController::traceLog(const std::string& message) {
    platform::logf(">>> [TRACER] %s", message.c_str());
}

void BlackoutController::showAlert(const std::string& title, const std::string& message) {
    appkit::Alert alert;
    alert.alertStyle = platform::AlertStyle::warning;
    alert.messageText = title;
    alert.informativeText = message;
    alert.runModal();
}
