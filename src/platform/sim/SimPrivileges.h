#pragma once
// Administrator rights on the virtual Mac: the system's prompt, the shell commands an
// administrator script runs (read as sh would, executed inside the machine's root), and
// launchd, which starts the charge-limit helper from its daemon definition. In virtual time
// the helper's core runs on the machine's clock; otherwise the helper is a real process.

#include "platform/PowerSources.h"

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

class QProcess;
class QFileSystemWatcher;

namespace platform {
class RunLoop;
class SystemPaths;
class SystemLocale;
class Timer;
} // namespace platform
namespace helper {
class HelperCore;
class ChargingHardware;
class HelperLoop;
} // namespace helper

namespace sim {

class SimBattery;

class SimPrivileges : public platform::Privileges {
  public:
    SimPrivileges(platform::RunLoop& loop, const platform::SystemPaths& paths,
                  const platform::SystemLocale& clock, SimBattery& battery, bool virtualTime,
                  std::function<void(const std::string&)> log, std::function<void()> changed);
    ~SimPrivileges() override;

    bool runAppleScript(const std::string& source, std::string& errorDescription) override;
    bool isLaunchDaemonRunning(const std::string& label) override;

    // The administrator prompt: answered by a person (the presenter) or by queued answers.
    void setPromptPresenter(std::function<bool(const std::string& message)> presenter);
    void queuePromptAnswers(std::vector<bool> answers);
    int promptsShown() const { return prompts_; }
    // Every shell command run as root, as its words joined by spaces.
    const std::vector<std::string>& commandsRun() const { return commandsRun_; }
    // Daemon definitions present at boot are loaded, as launchd does (RunAtLoad).
    void bootLaunchDaemons();
    bool helperRunning() const;
    std::optional<int> helperLimit() const;
    void stopHelper();
    // A real helper process reads the battery from a file; kept current on every change.
    void writeBatteryForHelper();

  private:
    enum class Ran { ok, failed, refused };
    struct Daemon {
        std::string label;
        std::string program; // inside the system, as the definition names it
    };
    Ran runCommand(const std::vector<std::string>& words, const std::string& redirectTo,
                   std::string& error);
    std::optional<Daemon> readDaemon(const std::string& plistPath, std::string& error) const;
    bool loadDaemon(const std::string& plistPath, std::string& error);
    bool unloadDaemon(const std::string& plistPath, std::string& error);
    void startHelper(const std::string& program);
    void helperTick();
    void readHelperControl();

    platform::RunLoop& loop_;
    const platform::SystemPaths& paths_;
    const platform::SystemLocale& clock_;
    SimBattery& battery_;
    bool virtualTime_;
    std::function<void(const std::string&)> log_;
    std::function<void()> changed_;
    std::function<bool(const std::string&)> presenter_;
    std::deque<bool> answers_;
    int prompts_ = 0;
    std::vector<std::string> commandsRun_;
    std::string loadedLabel_;
    // Programs launchd has started, and those of them cp has since written over.
    std::set<std::string> started_;
    std::set<std::string> rewrittenInPlace_;
    std::unique_ptr<helper::HelperCore> core_;
    std::unique_ptr<helper::ChargingHardware> hardware_;
    std::unique_ptr<helper::HelperLoop> helperLoop_;
    std::shared_ptr<platform::Timer> coreTimer_;
    QProcess* process_ = nullptr;
    QFileSystemWatcher* watcher_ = nullptr;
};

} // namespace sim
