#include "platform/sim/SimPrivileges.h"

#include "helper/HelperCore.h"
#include "helper/HelperLoop.h"
#include "helper/SmcChargingHardware.h"
#include "platform/OutsideFiles.h"
#include "platform/PropertyList.h"
#include "platform/RunLoop.h"
#include "platform/SystemLocale.h"
#include "platform/SystemPaths.h"
#include "platform/sim/SimBattery.h"
#include "platform/sim/SimShell.h"
#include "platform/sim/VirtualOwnership.h"
#include "platform/sim/VirtualSmc.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QProcess>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/prctl.h>
#endif

namespace sim {

namespace {

// The in-process helper reads the machine's battery directly and switches its charging through
// the machine's virtual controller.
class BatteryGauge : public helper::BatteryGauge {
  public:
    explicit BatteryGauge(SimBattery& battery) : battery_(battery) {}
    std::optional<helper::BatteryReading> read() override {
        return helper::BatteryReading{battery_.percent(), battery_.adapterConnected()};
    }

  private:
    SimBattery& battery_;
};

SmcFirmware firmwareOf(const SimBattery& battery) {
    return smcFirmwareNamed(battery.smcChargingKeys()).value_or(SmcFirmware::none);
}

} // namespace

namespace {

constexpr const char* kLaunchDaemons = "/Library/LaunchDaemons";
constexpr const char* kHelperFolder = "/Library/Application Support/Nightlid";
constexpr const char* kChargingController = "/private/var/db/nightlid-charging";
// What the installer copies is a helper build of a few megabytes.
constexpr size_t kMaxCopyBytes = 256 * 1024 * 1024;

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

bool safePath(const std::string& path) {
    return !path.empty() && path[0] == '/' && path.find("/../") == std::string::npos &&
           (path.size() < 3 || path.substr(path.size() - 3) != "/..");
}

std::string joined(const std::vector<std::string>& words) {
    std::string out;
    for (const auto& w : words)
        out += (out.empty() ? "" : " ") + w;
    return out;
}

} // namespace

SimPrivileges::SimPrivileges(platform::RunLoop& loop, const platform::SystemPaths& paths,
                             const platform::SystemLocale& clock, SimBattery& battery,
                             bool virtualTime, std::function<void(const std::string&)> log,
                             std::function<void()> changed)
    : loop_(loop), paths_(paths), clock_(clock), battery_(battery), virtualTime_(virtualTime),
      log_(std::move(log)), changed_(std::move(changed)) {}

SimPrivileges::~SimPrivileges() {
    stopHelper();
}

void SimPrivileges::setPromptPresenter(std::function<bool(const std::string&)> presenter) {
    presenter_ = std::move(presenter);
}

void SimPrivileges::queuePromptAnswers(std::vector<bool> answers) {
    answers_.insert(answers_.end(), answers.begin(), answers.end());
}

bool SimPrivileges::runAppleScript(const std::string& source, std::string& errorDescription) {
    std::string error;
    auto command = administratorShellCommand(source, error);
    if (!command) {
        errorDescription =
            "{NSAppleScriptErrorNumber = -2741; NSAppleScriptErrorMessage = \"" + error + "\";}";
        return false;
    }
    // Nothing runs before the person has agreed.
    ++prompts_;
    bool accepted = false;
    if (!answers_.empty()) {
        accepted = answers_.front();
        answers_.pop_front();
    } else if (presenter_) {
        // The system's own prompt speaks the system's language, not the program's.
        const auto languages = clock_.preferredLanguages();
        const bool korean = !languages.empty() && languages.front().rfind("ko", 0) == 0;
        accepted = presenter_(korean ? "Nightlid에서 변경하려고 합니다. 이를 허용하려면 암호를 "
                                       "입력하십시오."
                                     : "Nightlid wants to make changes. Enter your password to "
                                       "allow this.");
    }
    if (!accepted) {
        errorDescription = "{NSAppleScriptErrorNumber = -128; NSAppleScriptErrorMessage = "
                           "\"User canceled.\";}";
        return false;
    }
    auto commands = parseShellCommands(*command, error);
    if (!commands) {
        log_("Virtual Mac: refused to run as root: " + error + " in: " + *command);
        errorDescription =
            "{NSAppleScriptErrorNumber = 1; NSAppleScriptErrorMessage = \"" + error + "\";}";
        return false;
    }
    // As sh: a failure skips the && commands after it, up to the next ;. The script's answer is
    // the last command's. A command an installer never runs stops everything.
    Ran last = Ran::ok;
    for (const auto& c : *commands) {
        if (last != Ran::ok && !c.afterSemicolon) continue;
        error.clear();
        last = runCommand(c.words, c.redirectTo, error);
        if (last == Ran::refused) break;
    }
    if (changed_) changed_();
    if (last == Ran::ok) return true;
    errorDescription =
        "{NSAppleScriptErrorNumber = 1; NSAppleScriptErrorMessage = \"" + error + "\";}";
    return false;
}

SimPrivileges::Ran SimPrivileges::runCommand(const std::vector<std::string>& w,
                                             const std::string& redirectTo, std::string& error) {
    const std::string line = joined(w) + (redirectTo.empty() ? "" : " > " + redirectTo);
    auto pathsOk = [&](std::initializer_list<std::string> list) {
        for (const auto& p : list)
            if (!safePath(p)) {
                error = "not an absolute path inside the system: " + p;
                return false;
            }
        return true;
    };
    auto plain = [&](size_t words, const char* name) {
        return w.size() == words && w[0] == name && redirectTo.empty();
    };
    bool ok = false;
    if (plain(3, "mkdir") && w[1] == "-p") {
        ok = pathsOk({w[2]}) && QDir().mkpath(q(paths_.map(w[2])));
    } else if (plain(3, "cp")) {
        if (!pathsOk({w[1], w[2]})) return Ran::failed;
        // cp writes into the file that is there: one launchd has started keeps its inode, and
        // the kernel's record of its signature no longer matches what is in it.
        if (started_.count(w[2]) && QFile::exists(q(paths_.map(w[2]))))
            rewrittenInPlace_.insert(w[2]);
        // Never waiting on a FIFO nor copying an endless file; never writing through a link. A file
        // already there keeps its mode, as cp leaves it.
        std::string why;
        ok = platform::copyOutsideFile(paths_.map(w[1]), paths_.map(w[2]), kMaxCopyBytes, -1, why);
        if (!ok) error = "cp: " + why;
    } else if (plain(4, "mv") && w[1] == "-f") {
        if (!pathsOk({w[2], w[3]})) return Ran::failed;
        // A new file under the old name: nothing known of the old one applies to it.
        const QString from = q(paths_.map(w[2])), to = q(paths_.map(w[3]));
        ok = QFileInfo::exists(from) && (!QFile::exists(to) || QFile::remove(to)) &&
             QFile::rename(from, to);
        if (!ok) error = "mv: " + w[2] + ": No such file or directory";
        started_.erase(w[3]);
        rewrittenInPlace_.erase(w[3]);
    } else if (plain(3, "chmod") && w[1] == "+x") {
        if (!pathsOk({w[2]})) return Ran::failed;
        QFile file(q(paths_.map(w[2])));
        ok = file.setPermissions(file.permissions() | QFileDevice::ExeOwner |
                                 QFileDevice::ExeGroup | QFileDevice::ExeOther);
    } else if (w.size() == 2 && w[0] == "echo" && !redirectTo.empty()) {
        if (!pathsOk({redirectTo})) return Ran::failed;
        std::string why;
        ok = platform::writeOutsideFile(paths_.map(redirectTo), w[1] + "\n", why, 0644);
        if (!ok) error = "sh: " + why;
    } else if (plain(4, "launchctl") && w[1] == "load" && w[2] == "-w") {
        if (!pathsOk({w[3]})) return Ran::failed;
        ok = loadDaemon(w[3], error);
    } else if (plain(3, "launchctl") && w[1] == "unload") {
        if (!pathsOk({w[2]})) return Ran::failed;
        ok = unloadDaemon(w[2], error);
    } else {
        log_("Virtual Mac: refused to run as root: " + line);
        error = "not a command an installer runs: " + line;
        return Ran::refused;
    }
    if (!ok && error.empty()) error = line + " failed";
    if (ok) commandsRun_.push_back(line);
    return ok ? Ran::ok : Ran::failed;
}

std::optional<SimPrivileges::Daemon> SimPrivileges::readDaemon(const std::string& plistPath,
                                                               std::string& error) const {
    platform::OutsideFileRules rules;
    rules.maxBytes = 1024 * 1024;
    const auto file = platform::readOutsideFile(paths_.map(plistPath), rules);
    if (!file.ok()) {
        error =
            "launchctl: " + plistPath + ": " +
            (file.status == platform::OutsideFile::Status::missing ? "No such file" : file.problem);
        return std::nullopt;
    }
    auto plist = platform::parsePropertyList(file.bytes, error);
    if (!plist) {
        error = "launchctl: " + plistPath + ": " + error;
        return std::nullopt;
    }
    const auto* label = plist->find("Label");
    const auto* arguments = plist->find("ProgramArguments");
    if (!label || !label->string() || !arguments || !arguments->array() ||
        arguments->array()->empty() || !arguments->array()->front().string()) {
        error = "launchctl: " + plistPath + ": no Label or ProgramArguments";
        return std::nullopt;
    }
    return Daemon{*label->string(), *arguments->array()->front().string()};
}

bool SimPrivileges::loadDaemon(const std::string& plistPath, std::string& error) {
    const auto daemon = readDaemon(plistPath, error);
    if (!daemon) return false;
    // launchd keeps what it runs: loading a label again changes nothing, and says so.
    if (daemon->label == loadedLabel_) {
        error = "launchctl: " + plistPath + ": service already loaded";
        return false;
    }
    if (!safePath(daemon->program) || !QFileInfo(q(paths_.map(daemon->program))).isExecutable()) {
        error = "launchctl: " + daemon->program + " is not an executable";
        return false;
    }
    loadedLabel_ = daemon->label;
    if (rewrittenInPlace_.count(daemon->program)) {
        log_("Virtual Mac: launchd: " + daemon->label + " killed: code signature invalid (" +
             daemon->program + " was rewritten in place)");
        return true;
    }
    started_.insert(daemon->program);
    stopHelper(); // one helper slot: another label's goes
    startHelper(paths_.map(daemon->program));
    return true;
}

bool SimPrivileges::unloadDaemon(const std::string& plistPath, std::string& error) {
    const auto daemon = readDaemon(plistPath, error);
    if (!daemon) return false;
    if (daemon->label != loadedLabel_) {
        error = "launchctl: " + plistPath + ": Could not find specified service";
        return false;
    }
    stopHelper();
    loadedLabel_.clear();
    log_("Virtual Mac: launchd stopped " + daemon->label);
    return true;
}

void SimPrivileges::bootLaunchDaemons() {
    const QDir folder(q(paths_.map(kLaunchDaemons)));
    for (const auto& name : folder.entryList({"*.plist"}, QDir::Files)) {
        std::string error;
        if (!loadDaemon(std::string(kLaunchDaemons) + "/" + name.toStdString(), error))
            log_("Virtual Mac: " + error);
    }
}

void SimPrivileges::startHelper(const std::string& program) {
    if (virtualTime_) {
        // Deterministic: the helper's own core on the machine's clock, every 2 seconds.
        core_ = std::make_unique<helper::HelperCore>(
            paths_.root(), kHelperFolder, log_,
            makeVirtualFolderAccess(paths_.root(), kHelperFolder));
        auto smc = std::make_unique<VirtualSmc>(firmwareOf(battery_),
                                                [this](bool inhibited, bool bypassed) {
                                                    battery_.setChargeControl(inhibited, bypassed);
                                                });
        hardware_ = std::make_unique<helper::SmcChargingHardware>(
            std::move(smc), std::make_unique<BatteryGauge>(battery_), log_);
        helperLoop_ = std::make_unique<helper::HelperLoop>(*core_, *hardware_, log_);
        helperTick();
        coreTimer_ = loop_.scheduleRepeating(2.0, [this](platform::Timer&) { helperTick(); });
    } else {
        QDir().mkpath(q(paths_.map(kChargingController)));
        std::string error;
        if (!platform::writeOutsideFile(paths_.map(std::string(kChargingController) + "/keys"),
                                        smcFirmwareName(firmwareOf(battery_)), error))
            log_("Virtual Mac: " + error);
        process_ = new QProcess;
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert("NIGHTLID_SYSTEM_ROOT", q(paths_.root()));
        process_->setProcessEnvironment(env);
        process_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
#ifdef Q_OS_LINUX
        // The machine's daemons end with the machine, even when the program is killed.
        process_->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
#endif
        process_->start(q(program), {});
        writeBatteryForHelper();
        watcher_ = new QFileSystemWatcher({q(paths_.map(kChargingController))});
        QObject::connect(watcher_, &QFileSystemWatcher::directoryChanged,
                         [this] { readHelperControl(); });
    }
    log_("Virtual Mac: launchd started " + loadedLabel_);
    if (changed_) changed_();
}

void SimPrivileges::stopHelper() {
    if (coreTimer_) coreTimer_->invalidate();
    coreTimer_.reset();
    helperLoop_.reset();
    hardware_.reset();
    core_.reset();
    delete watcher_;
    watcher_ = nullptr;
    if (process_) {
        process_->terminate();
        if (!process_->waitForFinished(2000)) process_->kill();
        process_->waitForFinished(1000);
        delete process_;
        process_ = nullptr;
    }
}

bool SimPrivileges::helperRunning() const {
    return core_ || (process_ && process_->state() != QProcess::NotRunning);
}

std::optional<int> SimPrivileges::helperLimit() const {
    if (core_) return core_->limit();
    if (!helperRunning()) return std::nullopt;
    // What the helper process reads, read the same way (never waiting on a FIFO).
    const helper::SafeDirectory folder(paths_.root(), kHelperFolder);
    if (!folder.isOpen()) return 0;
    const auto file = helper::readLimitFile(folder);
    return file.state == helper::LimitFile::State::value ? file.value : 0;
}

bool SimPrivileges::isLaunchDaemonRunning(const std::string& label) {
    return label == loadedLabel_ && helperRunning();
}

void SimPrivileges::helperTick() {
    if (helperLoop_) helperLoop_->poll(int64_t(clock_.secondsSince1970()));
}

void SimPrivileges::writeBatteryForHelper() {
    if (virtualTime_ || !process_) return;
    std::string error;
    if (!platform::writeOutsideFile(paths_.map(std::string(kChargingController) + "/battery"),
                                    std::to_string(battery_.percent()) + " " +
                                        (battery_.adapterConnected() ? "1" : "0"),
                                    error))
        log_("Virtual Mac: " + error);
}

void SimPrivileges::readHelperControl() {
    const helper::SafeDirectory folder(paths_.root(), kChargingController);
    std::string error;
    const auto text = folder.read("control", 16, error);
    if (!text) return;
    const auto parts = QString::fromLatin1(QByteArray::fromStdString(*text)).split(' ');
    if (parts.size() != 2) return;
    battery_.setChargeControl(parts[0] == "1", parts[1] == "1");
}

} // namespace sim
