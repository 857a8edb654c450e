#include "app/BlackoutController.h"
#include "appkit/Alert.h"
#include "appkit/Button.h"
#include "appkit/Colors.h"
#include "appkit/Slider.h"
#include "platform/OutsideFiles.h"
#include "platform/Platform.h"
#include "platform/PowerSources.h"
#include "platform/PropertyListFiles.h"
#include "platform/SharedFiles.h"
#include "platform/SystemLog.h"
#include "platform/SystemPaths.h"
#include "power/HelperFiles.h"

#include <QFile>
#include <QLabel>

#include <chrono>
#include <cmath>
#include <sys/stat.h>
#include <thread>

namespace {

using power::kLimitFile;
constexpr const char* kInstalledHelper = "/Library/PrivilegedHelperTools/nightlid-helper";
constexpr const char* kBundledHelper = "Contents/MacOS/nightlid-helper";
constexpr const char* kDaemonDefinition = "/Library/LaunchDaemons/com.nightlid.helper.plist";
constexpr const char* kPowerManagement =
    "/Library/Preferences/SystemConfiguration/com.apple.PowerManagement.plist";

std::string mapped(const std::string& path) {
    return platform::current().paths->map(path);
}

// Read whole up to a limit, never waiting on a FIFO: a helper build is a few megabytes.
std::optional<std::string> readWhole(const std::string& path, size_t maxBytes) {
    platform::OutsideFileRules rules;
    rules.maxBytes = maxBytes;
    auto file = platform::readOutsideFile(mapped(path), rules);
    if (!file.ok()) return std::nullopt;
    return std::move(file.bytes);
}

constexpr size_t kMaxHelperBuild = 256 * 1024 * 1024;

// A word for sh, in single quotes: a quote inside becomes '\'' so nothing in it is run.
std::string shellQuoted(const std::string& text) {
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// The inside of an AppleScript string literal.
std::string appleScriptEscaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out;
}

void colorLabel(QLabel* label, appkit::SystemColor color) {
    if (!label) return;
    appkit::setTextColor(*label, appkit::color(color));
}

} // namespace

const char* BlackoutController::launchDaemonDefinition() {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
           "<plist version=\"1.0\">\n"
           "<dict>\n"
           "    <key>Label</key>\n"
           "    <string>com.nightlid.helper</string>\n"
           "    <key>ProgramArguments</key>\n"
           "    <array>\n"
           "        <string>/Library/PrivilegedHelperTools/nightlid-helper</string>\n"
           "    </array>\n"
           "    <key>RunAtLoad</key>\n"
           "    <true/>\n"
           "    <key>KeepAlive</key>\n"
           "    <true/>\n"
           "</dict>\n"
           "</plist>\n";
}

namespace {

// Whether launchd has a helper to start: its program and its definition are in place.
bool helperInPlace() {
    struct stat program {};
    struct stat definition {};
    return ::lstat(mapped(kInstalledHelper).c_str(), &program) == 0 && S_ISREG(program.st_mode) &&
           ::lstat(mapped(kDaemonDefinition).c_str(), &definition) == 0 &&
           S_ISREG(definition.st_mode);
}

} // namespace

std::optional<int> BlackoutController::readLimitFile() const {
    // Missing, blank or refused: no limit, which is what the helper enforces for it.
    const auto file = power::readLimitFile(limitFileRefusal);
    if (file.state != helper::LimitFile::State::value) return std::nullopt;
    // A limit left from an earlier installation, with no helper to enforce it, is no limit.
    if (!helperInPlace()) {
        const std::string note = "no helper: " + file.seen;
        if (limitFileRefusal != note)
            platform::logf("Nightlid: the limit file holds %d, but no helper is installed to "
                           "enforce it; the charge limit is off",
                           file.value);
        limitFileRefusal = note;
        return std::nullopt;
    }
    return file.value;
}

void BlackoutController::syncChargeLimitWithFile() {
    // While a switch-on waits on its alerts the file is about to change: the switch is the user's.
    if (!chargeLimitCheckbox || chargeLimitChanging) return;
    const bool shownOn = chargeLimitCheckbox->state() == appkit::ControlState::on;
    const int enforced = readLimitFile().value_or(0);
    // A slider moved but not applied yet is the user's; only a different file is taken.
    if ((enforced > 0) == shownOn && (!shownOn || enforced == appliedLimit)) return;
    chargeLimitCheckbox->setState(enforced > 0 ? appkit::ControlState::on
                                               : appkit::ControlState::off);
    if (chargeLimitSlider) {
        chargeLimitSlider->setEnabled(enforced > 0);
        chargeLimitSlider->setDoubleValue(enforced > 0 ? enforced : 80);
    }
    appliedLimit = enforced > 0 ? enforced : 80;
    if (chargeLimitApplyRow) chargeLimitApplyRow->setHidden(true);
    showChargeLimitValue(enforced > 0);
}

void BlackoutController::showChargeLimitValue(bool on) {
    if (!chargeLimitValueLabel) return;
    if (on) {
        // The limit written, which the helper enforces: the slider stops at tick marks.
        chargeLimitValueLabel->setText(QString::number(appliedLimit) + "%");
        colorLabel(chargeLimitValueLabel, appkit::SystemColor::label);
    } else {
        chargeLimitValueLabel->setText(QString::fromStdString(t("꺼짐", "Off")));
        colorLabel(chargeLimitValueLabel, appkit::SystemColor::tertiaryLabel);
    }
}

void BlackoutController::loadChargeLimitSettings() {
    const int value = readLimitFile().value_or(0);
    const bool on = value > 0;
    if (chargeLimitCheckbox)
        chargeLimitCheckbox->setState(on ? appkit::ControlState::on : appkit::ControlState::off);
    if (chargeLimitSlider) {
        chargeLimitSlider->setEnabled(on);
        chargeLimitSlider->setDoubleValue(on ? value : 80);
    }
    appliedLimit = on ? value : 80;
    showChargeLimitValue(on);
    updatePowerStatusUI();
}

bool BlackoutController::writeLimitToFile(int limit) {
    // The folder is the helper's (root's): the program only rewrites the file it was given.
    std::string error;
    const bool ok =
        platform::current().sharedFiles->write(kLimitFile, std::to_string(limit), error);
    if (!ok) platform::logf("Nightlid: cannot write %s: %s", kLimitFile, error.c_str());
    return ok;
}

void BlackoutController::waitForHelperFolder() {
    // launchd starts the helper on its own; it hands the files over within moments.
    const QString limitFile = QString::fromStdString(mapped(kLimitFile));
    for (int i = 0; i < 30 && !QFile::exists(limitFile); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

bool BlackoutController::updateHelperLimit() {
    const bool on = chargeLimitCheckbox && chargeLimitCheckbox->state() == appkit::ControlState::on;
    return updateHelperLimit(on ? (chargeLimitSlider ? int(chargeLimitSlider->doubleValue()) : 80)
                                : 0);
}

bool BlackoutController::updateHelperLimit(int limit) {
    if (!writeLimitToFile(limit)) {
        chargeLimitChanging = false;
        // Said, and the card goes back to what the helper still enforces.
        showAlert(t("충전 제한을 저장하지 못했습니다", "Charge Limit Not Saved"),
                  t("제한 파일을 쓸 수 없어 권한 대행 도구가 이전 설정을 유지합니다.",
                    "The limit file could not be written; the helper keeps the previous setting."));
        syncChargeLimitWithFile();
        return false;
    }
    appliedLimit = limit == 0 ? 80 : limit;
    return true;
}

bool BlackoutController::isHelperInstalled() {
    if (!QFile::exists(QString::fromStdString(mapped(kInstalledHelper)))) return false;
    const std::string bundled = platform::current().paths->bundlePath() + "/" + kBundledHelper;
    return readWhole(kInstalledHelper, kMaxHelperBuild).value_or("") ==
           readWhole(bundled, kMaxHelperBuild).value_or("");
}

bool BlackoutController::installHelper() {
    const std::string source = platform::current().paths->bundlePath() + "/" + kBundledHelper;
    auto& log = *platform::current().log;
    if (!QFile::exists(QString::fromStdString(mapped(source)))) {
        log.write("Helper source binary not found at: " + source);
        return false;
    }
    std::string definition = launchDaemonDefinition();
    std::erase(definition, '\n');
    // Every path is one quoted word, whatever it holds. A helper already there is stopped first
    // (it switches charging back on as it ends; launchd would not load its label again), and the
    // new build goes in under a new inode: a signed binary rewritten in place is killed at exec.
    const std::string staged = std::string(kInstalledHelper) + ".new";
    const std::string command =
        "launchctl unload " + shellQuoted(kDaemonDefinition) + " ; mkdir -p " +
        shellQuoted("/Library/PrivilegedHelperTools") + " && cp " + shellQuoted(source) + " " +
        shellQuoted(staged) + " && chmod +x " + shellQuoted(staged) + " && mv -f " +
        shellQuoted(staged) + " " + shellQuoted(kInstalledHelper) + " && echo " +
        shellQuoted(definition) + " > " + shellQuoted(kDaemonDefinition) +
        " && launchctl load -w " + shellQuoted(kDaemonDefinition);
    const std::string script =
        "do shell script \"" + appleScriptEscaped(command) + "\" with administrator privileges";
    std::string error;
    auto* privileges = platform::current().privileges;
    if (privileges && privileges->runAppleScript(script, error)) return true;
    log.write("Helper installation failed: " + error);
    return false;
}

bool BlackoutController::isMacOSOptimizedChargingEnabled() {
    // Binary on a Mac, XML in older files: the platform reads either.
    auto* files = platform::current().propertyLists;
    if (!files) return false;
    std::string error;
    auto settings = files->read(kPowerManagement, error);
    const auto* custom = settings ? settings->find("Custom Profile") : nullptr;
    if (!custom || !custom->dict()) return false;
    for (const auto& [source, profile] : *custom->dict())
        if (const auto* optimized = profile.find("OptimizedBatteryCharging");
            optimized && optimized->integer() == 1)
            return true;
    return false;
}

void BlackoutController::checkMacOSOptimizedCharging() {
    if (!isMacOSOptimizedChargingEnabled()) return;
    appkit::Alert alert;
    alert.messageText = t("macOS 배터리 보호 기능 감지됨", "macOS Battery Protection Detected");
    alert.informativeText = t(
        "macOS 내장 '최적화된 배터리 충전' 기능이 켜져 있습니다. 이 내장 기능이 활성화되어 있으면 "
        "당사 앱의 충전 제한과 충돌하여 오작동(80% 초과 충전 등)을 유발할 수 있습니다.\n\n[시스템 "
        "설정] -> [배터리] -> [배터리 성능 상태(i)]로 이동하여 '최적화된 배터리 충전'을 꺼주시는 "
        "것을 적극 권장합니다.",
        "macOS built-in 'Optimized Battery Charging' is enabled. This can conflict with our app's "
        "charging limit and cause overrides (e.g. charging past 80%).\n\nWe highly recommend going "
        "to [System Settings] -> [Battery] -> [Battery Health (i)] and turning OFF 'Optimized "
        "Battery Charging'.");
    alert.addButton(t("확인", "OK"));
    alert.runModal();
}

void BlackoutController::chargeLimitToggled(appkit::Button& sender) {
    bool on = sender.state() == appkit::ControlState::on;
    if (chargeLimitSlider) chargeLimitSlider->setEnabled(on);
    // What the user switched on is what gets written, however long the alerts stay open: the
    // card refreshes meanwhile and must not take the switch back to the file it is replacing.
    const int limit = on ? (chargeLimitSlider ? int(chargeLimitSlider->doubleValue()) : 80) : 0;
    chargeLimitChanging = true;
    struct Settled {
        bool& changing;
        ~Settled() { changing = false; }
    } settled{chargeLimitChanging};
    if (!on) {
        if (!updateHelperLimit(limit)) return;
    } else if (isHelperInstalled()) {
        if (!updateHelperLimit(limit)) return;
        checkMacOSOptimizedCharging();
    } else {
        appkit::Alert alert;
        alert.messageText = t("권한 대행 도구 설치 필요", "Helper Tool Required");
        alert.informativeText =
            t("배터리 충전 제한 기능을 사용하려면 시스템 권한 대행 도구 설치가 필요합니다. 다음 "
              "화면에서 비밀번호 또는 Touch ID 인증을 진행해 주세요.",
              "To use the charge limiting feature, a system helper tool needs to be installed. "
              "Please authorize with password or Touch ID in the next screen.");
        alert.addButton(t("설치", "Install"));
        alert.addButton(t("취소", "Cancel"));
        if (alert.runModal() == 0 && installHelper()) {
            waitForHelperFolder();
            if (!updateHelperLimit(limit)) return;
            checkMacOSOptimizedCharging();
        } else {
            sender.setState(appkit::ControlState::off);
            if (chargeLimitSlider) chargeLimitSlider->setEnabled(false);
            return;
        }
    }
    showChargeLimitValue(on);
    startLimitTransition(on);
}

void BlackoutController::chargeLimitSliderChanged(appkit::Slider& sender) {
    const int value = int(sender.doubleValue());
    if (chargeLimitValueLabel) chargeLimitValueLabel->setText(QString::number(value) + "%");
    // Only when the knob is let go; while it is dragged the row stays as it is.
    if (sender.isTracking()) return;
    const bool differs = value != appliedLimit;
    if (chargeLimitApplyButton) chargeLimitApplyButton->setVisible(differs);
    if (chargeLimitApplyRow) chargeLimitApplyRow->setVisible(differs);
    adjustWindowHeight();
}

void BlackoutController::chargeLimitApplyClicked() {
    if (!updateHelperLimit()) return;
    if (chargeLimitApplyButton) chargeLimitApplyButton->setVisible(false);
    if (chargeLimitApplyRow) chargeLimitApplyRow->setVisible(false);
    adjustWindowHeight();
    startChargingStatusOnlyTransition();
}
