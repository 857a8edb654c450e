// Long random mixes of every feature that darkens a display, each ended as a user would, with
// quits and kills at random virtual instants (between a frame queued for a monitor and its
// landing, before settings are saved); after each mix every display must be back as it was.
// Every action is a line of the script driver and each run of the program is a child process,
// so a kill is a real SIGKILL and a failing seed prints a script that replays it
// (scripts/replay-runs). NIGHTLID_DARK_SEED=N runs that seed alone (with the log);
// NIGHTLID_DARK_SEQUENCES=N sets how many run.

#include "app/BlackoutController.h"
#include "appkit/Slider.h"
#include "appkit/ViewLookup.h"
#include "appkit/Window.h"
#include "backend/scripting/Hands.h"
#include "backend/scripting/ScriptDriver.h"
#include "backend/scripting/Session.h"
#include "backend/scripting/commands/SimulatorCommands.h"
#include "blackout/RecoveryJournal.h"
#include "platform/SystemLog.h"
#include "platform/SystemPaths.h"
#include "platform/UserDefaults.h"
#include "platform/sim/SimBrightness.h"
#include "platform/sim/SimInput.h"
#include "platform/sim/SimMonitor.h"
#include "platform/sim/SimWindowServer.h"
#include "pomodoro/PomodoroBreakView.h"
#include "pomodoro/PomodoroStatusPanel.h"
#include "ui/CapsuleButtons.h"
#include "zen/ZenView.h"
#include "zen/ZenWindow.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <random>
#include <set>
#include <sstream>

namespace {

// Every third sequence runs on twins that report serial 0, so their identity cannot tell them
// apart.
std::string machineFor(unsigned seed) {
    return std::string(seed % 3 == 0 ? "dark-twins.json" : "dark-mix.json");
}
constexpr DisplayID kPanel = 1;
const std::vector<DisplayID> kAnswering = {2, 3, 5};    // 2 and 3 are twins, 5 counts to 255
const std::vector<DisplayID> kExternals = {2, 3, 4, 5}; // 4 is a TV that never answers
enum Exit { kLit = 0, kBroken = 1, kRefused = 2, kQuit = 3 };

template <typename T> const T& pick(std::mt19937& rng, const std::vector<T>& from) {
    return from[std::uniform_int_distribution<size_t>(0, from.size() - 1)(rng)];
}

std::string quoted(const std::string& s) {
    return "\"" + s + "\"";
}

// What one run of the program hands the next: how far the sequence is, the generator, and what
// every display must come back to.
struct Progress {
    int step = 0, steps = 0, runs = 0;
    // A journal was damaged: a display the killed run left dark with nothing of its own stored
    // may come back at the fallback (0.5) instead.
    bool damaged = false;
    std::map<DisplayID, int> ddc;
    double panel = 0, keyboard = 0;
    std::string rng;

    void save(const std::string& path) const {
        std::ostringstream o;
        o << "steps " << steps << "\nstep " << step << "\nruns " << runs << "\ndamaged " << damaged
          << "\npanel " << panel << "\nkeyboard " << keyboard << "\n";
        for (const auto& [id, v] : ddc)
            o << "ddc " << id << " " << v << "\n";
        o << "rng " << rng << "\n";
        QFile f(QString::fromStdString(path + ".new"));
        if (!f.open(QIODevice::WriteOnly)) std::abort();
        f.write(QByteArray::fromStdString(o.str()));
        f.close();
        ::rename((path + ".new").c_str(), path.c_str());
    }
    bool load(const std::string& path) {
        std::ifstream in(path);
        if (!in) return false;
        for (std::string key; in >> key;) {
            if (key == "steps") in >> steps;
            if (key == "step") in >> step;
            if (key == "runs") in >> runs;
            if (key == "damaged") in >> damaged;
            if (key == "panel") in >> panel;
            if (key == "keyboard") in >> keyboard;
            if (key == "ddc") {
                DisplayID id;
                in >> id >> ddc[id];
            }
            if (key == "rng") std::getline(in, rng);
        }
        return true;
    }
};

// One run of the program on the sequence's profile, in the child process.
class Run {
  public:
    Run(std::string dir, unsigned seed) : dir_(std::move(dir)), seed_(seed) {}
    int go();

  private:
    BlackoutController& c() { return BlackoutController::shared(); }
    sim::VirtualMac& mac() { return session_->mac(); }
    std::string t(const std::string& ko, const std::string& en) { return c().t(ko, en); }
    // Runs the lines as one part of the script (an alert a line opens is answered by the next),
    // written to the trace first; false when the driver refused one.
    bool run(const std::vector<std::string>& lines);
    std::vector<std::string> next();
    // kLit when every feature has ended, else why not (the report says).
    int endEverything();
    std::string broken();
    void lookNow();
    bool shown() { return c().controlWindow && c().controlWindow->isVisible(); }
    // Whether a person can click the status item now (a window may lie over the menu bar).
    bool statusReachable() {
        return mac().statusItem() && scripting::whyStatusItemUnreachable(*session_).empty();
    }
    // A button of the Zen or break bar: the mouse moved over the screen first brings the bar back.
    static std::vector<std::string> onBar(const std::string& title) {
        return {"move-mouse-window zen", "advance 0.3", "click " + title};
    }
    // Whether the program's screen-covering window holding view is the front one on its screen.
    bool inFront(QWidget* view) {
        auto& server = mac().windowServer();
        for (const auto& entry : server.windows()) {
            if (entry.window.content.data() != view) continue;
            const auto& f = entry.window.frame;
            const auto front = server.windowAt({f.x + f.width / 2, f.y + f.height / 2}, true);
            return front && *front == entry.number;
        }
        return false;
    }
    // Whether the open status panel's buttons can be clicked (another window may cover it).
    bool panelReachable() {
        auto* panel = c().pomodoroStatusPanel.get();
        if (!panel || !panel->isVisible()) return false;
        auto* b = panel->pauseButton();
        return scripting::hands::whyUnreachable(b, QRectF(b->rect()).center(), "pause").empty();
    }
    // The Pomodoro stopped wherever a person can reach a Stop now.
    std::vector<std::string> stopPomodoro();
    bool online(DisplayID id) {
        auto ids = mac().onlineDisplays();
        return std::find(ids.begin(), ids.end(), id) != ids.end();
    }
    bool nothingDark() {
        auto& k = c();
        return !k.isZenModeActive && !k.isPomodoroActive && !k.isRemoteStandbyActive && !k.window &&
               k.poweredOffBrightnesses.empty() && k.recoveryJournal->empty();
    }
    std::string path(const char* name) const { return dir_ + "/" + name; }
    void toggled(DisplayID id) {
        if (c().poweredOffBrightnesses.count(id))
            userOff_.erase(id);
        else
            userOff_.insert(id);
    }

    std::string dir_;
    unsigned seed_;
    std::unique_ptr<scripting::Session> session_;
    std::unique_ptr<scripting::ScriptDriver> driver_;
    std::ostringstream out_, err_;
    Progress p_;
    std::mt19937 rng_;
    bool killPending_ = false;
    bool quit_ = false;
    std::optional<DisplayID> chose_; // the display whose brightness the person chose
    std::set<DisplayID> userOff_;    // switched off by the person's own hotkey or tile
    std::set<DisplayID> dropping_;   // monitors acknowledging writes without taking them
};

bool Run::run(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& l : lines)
        text += l + "\n";
    {
        std::ofstream trace(path("trace.nls"), std::ios::app);
        trace << text;
    }
    if (driver_->runText(text, "seed " + std::to_string(seed_)) == 0) return true;
    std::ofstream(path("report")) << "the driver refused a line:\n" << err_.str();
    return false;
}

void Run::lookNow() {
    for (auto id : kAnswering)
        p_.ddc[id] = mac().monitor(id)->vcp(0x10)->current;
    p_.panel = mac().description().displays[0].brightness;
    p_.keyboard = mac().brightness().keyboards()[0].level;
}

std::vector<std::string> Run::next() {
    auto& k = c();
    chose_.reset();
    const int kind = std::uniform_int_distribution<int>(0, 30)(rng_);
    const DisplayID any = pick(rng_, std::vector<DisplayID>{1, 2, 3, 4, 5});
    const bool breakTime =
        k.isPomodoroActive && k.pomodoroPhase == BlackoutController::PomodoroPhase::breakTime;
    auto* zenView = k.primaryZenView();
    auto* breakView = k.pomodoroBreakView();
    const bool panelOpen = k.pomodoroStatusPanel && k.pomodoroStatusPanel->isVisible();
    auto title = [](ui::CustomCapsuleButton* b) { return quoted(b->title()); };
    switch (kind) {
    case 0:
        if (k.isZenModeActive || !shown()) break;
        // Return, which ends typing, presses Start.
        return {"click " + quoted(t("🧘♂️ 명상", "🧘♂️ Zen")),
                "type " + quoted(t("명상 시간:", "Zen duration:")) + " 1"};
    case 1:
        if (zenView && inFront(zenView)) return onBar(title(zenView->pauseButton()));
        break;
    case 2:
        if (zenView && inFront(zenView)) return onBar(title(zenView->stopButton()));
        break;
    case 3:
        if (k.isPomodoroActive || !shown()) break;
        // The panel shows the stored lengths; Return after the typed one presses Start.
        return {"default pomodoroBreakValue 1", "default pomodoroRepeatValue 2",
                "click " + quoted(t("🍅 포모도로", "🍅 Pomodoro")),
                "type " + quoted(t("집중 시간:", "Focus duration:")) + " 1"};
    case 4:
        if (breakView && inFront(breakView)) return onBar(title(breakView->skipButton()));
        break;
    case 5:
    case 28: {
        if (!k.isPomodoroActive || (!panelOpen && !shown())) break;
        std::vector<std::string> lines;
        // The Status button opens the panel, or brings it back in front of the control window.
        if (!panelReachable()) {
            if (!shown()) break;
            lines.push_back("click " + quoted(t("🍅 진행 상태", "🍅 Status")));
        }
        lines.push_back(kind == 5 ? "pomodoro-panel pause" : "pomodoro-panel stop");
        return lines;
    }
    case 6:
        if (breakView && inFront(breakView)) return onBar(title(breakView->pauseButton()));
        break;
    case 7:
        if (!k.isPomodoroActive || breakTime || k.isShowingStopAlert || k.isZenModeActive) break;
        return {"key 53 local",
                rng_() % 2 ? "alert " + t("종료", "Stop") : "alert " + t("계속", "Resume")};
    case 8:
    case 9:
    case 10: {
        const double s = pick(rng_, std::vector<double>{0.2, 1, 5, 20, 45, 70});
        std::ostringstream line;
        line << "advance " << s;
        return {line.str()};
    }
    case 11: {
        if (!online(any) && !k.cachedDisplaysByID.count(any) &&
            !k.poweredOffBrightnesses.count(any))
            break;
        toggled(any);
        return {"power-toggle " + std::to_string(any)};
    }
    case 12:
        if (!shown() || !k.powerButtons.count(any) || !k.powerButtons[any]) break;
        toggled(any);
        return {"power-tile " + std::to_string(any)};
    case 13:
    case 23: {
        if (mac().onlineDisplays().empty() || !statusReachable()) break;
        return {"click-status-item right",
                "menu " + (kind == 13 ? t("수명 보호 모드 켜기", "Turn On Protector Mode")
                                      : t("검정 화면 해제", "Restore Screen"))};
    }
    case 14: {
        if (rng_() % 2) return {"key 53 global"};
        // In focus, Escape here asks whether to stop: the next line answers.
        if (k.isPomodoroActive && !breakTime && !k.isShowingStopAlert && !k.isZenModeActive)
            return {"key 53 local", "alert " + t("계속", "Resume")};
        return {"key 53 local"};
    }
    case 15:
        if (!shown()) break;
        return {"click " + quoted(t("화면 끄기", "Turn Off Screen"))};
    case 16:
        return {rng_() % 4 ? "mouse-click physical" : "mouse-click remote"};
    case 17: {
        const DisplayID ext = pick(rng_, kExternals);
        return {(online(ext) ? "unplug " : "plug ") + std::to_string(ext)};
    }
    case 18:
        return {rng_() % 2 ? "language en" : "language ko"};
    case 19: {
        // The person's own brightness is only chosen while nothing is dark: that is the value
        // every route must come back to.
        if (!nothingDark() || !shown() || killPending_) break;
        for (const auto& [tag, d] : k.sliderDisplays) {
            if (d.id != any) continue;
            auto* slider = appkit::viewWithTag<appkit::Slider>(k.controlWindow->contentView(), tag);
            if (!slider || !slider->isEnabled()) break;
            chose_ = any;
            std::ostringstream line;
            line << "slider " << tag << " "
                 << std::uniform_int_distribution<int>(20, 100)(rng_) / 100.0;
            return {line.str(), "advance 0.3"};
        }
        break;
    }
    case 20:
        if (killPending_) break;
        quit_ = true;
        return {"quit"};
    case 21: {
        if (killPending_) break;
        if (rng_() % 2) return {"crash"};
        // Some time later, while whatever comes next is under way.
        killPending_ = true;
        std::ostringstream line;
        line << "crash " << std::uniform_int_distribution<int>(0, 300)(rng_) / 1000.0;
        return {line.str()};
    }
    case 22:
        return {"mouse-move"};
    case 24:
        return {mac().lidClosed() ? "lid open" : "lid close"};
    case 25: {
        const DisplayID id = pick(rng_, kAnswering);
        return {"ddc-answers " + std::to_string(id) +
                (mac().monitor(id)->answers() ? " off" : " on")};
    }
    case 26:
        return {"reopen"};
    case 27:
        return {"wake"};
    case 29:
        if (!k.isPomodoroActive || !statusReachable()) break;
        return {"click-status-item right",
                "menu " + (t("포모도로 타이머 중단", "Stop Pomodoro Timer"))};
    case 30: {
        // A monitor that acknowledges writes without taking them, or its replies go wrong for
        // a while (bad checksums, replies without a value of the code asked).
        const DisplayID id = pick(rng_, kAnswering);
        const int n = std::uniform_int_distribution<int>(1, 12)(rng_);
        switch (rng_() % 3) {
        case 0:
            if (dropping_.erase(id)) return {"ddc-fault " + std::to_string(id) + " takes-writes"};
            dropping_.insert(id);
            return {"ddc-fault " + std::to_string(id) + " drops-writes"};
        case 1:
            return {"ddc-fault " + std::to_string(id) + " bad-checksums " + std::to_string(n)};
        default:
            return {"ddc-fault " + std::to_string(id) + " stray-replies " + std::to_string(n)};
        }
    }
    }
    return {};
}

std::vector<std::string> Run::stopPomodoro() {
    auto& k = c();
    std::vector<std::string> lines;
    if (auto* breakView = k.pomodoroBreakView(); breakView && inFront(breakView))
        lines = onBar(quoted(breakView->stopButton()->title()));
    else if (statusReachable())
        lines = {"click-status-item right",
                 "menu " + t("포모도로 타이머 중단", "Stop Pomodoro Timer")};
    else {
        if (!shown()) lines.push_back("reopen");
        if (!panelReachable()) lines.push_back("click " + quoted(t("🍅 진행 상태", "🍅 Status")));
        lines.push_back("pomodoro-panel stop");
    }
    lines.push_back("advance 0.3");
    return lines;
}

// Every feature ended as a person would; then only what the person switched off is switched on.
int Run::endEverything() {
    std::ofstream(path("trace.nls"), std::ios::app)
        << "# --- every feature ended as a person would ---\n";
    std::vector<std::string> lines;
    for (auto id : kAnswering)
        if (!mac().monitor(id)->answers())
            lines.push_back("ddc-answers " + std::to_string(id) + " on");
    for (auto id : dropping_)
        lines.push_back("ddc-fault " + std::to_string(id) + " takes-writes");
    if (mac().lidClosed()) lines.push_back("lid open");
    for (auto id : kExternals)
        if (!online(id)) lines.push_back("plug " + std::to_string(id));
    // A monitor that answers again is tried again within a minute.
    lines.push_back("advance 61");
    if (!run(lines)) return kRefused;
    auto& k = c();
    if (k.isZenModeActive && !run({"key 53 global", "advance 0.3"})) return kRefused;
    if (k.isPomodoroActive && !run(stopPomodoro())) return kRefused;
    if (k.isRemoteStandbyActive && !run({"advance 2.5", "mouse-click physical", "advance 0.3"}))
        return kRefused;
    // No feature runs now: a display off that the person did not switch off was left so.
    for (const auto& [id, value] : k.poweredOffBrightnesses)
        if (!userOff_.count(id)) {
            std::ofstream(path("report"))
                << "display " << id << " was left in the off list by a feature\n";
            return kBroken;
        }
    if (k.window && !run({"click-window protector", "advance 0.3"})) return kRefused;
    lines.clear();
    for (auto id : userOff_)
        if (k.poweredOffBrightnesses.count(id))
            lines.push_back("power-toggle " + std::to_string(id));
    lines.push_back("advance 1");
    if (!run(lines)) return kRefused;
    // A feature that ended by itself late in the wait above (a session's own end) leaves a
    // monitor whose read-backs still fail its back-off: it is given the time that takes.
    for (int wait = 0; wait < 24 && !c().owedLights.empty(); ++wait)
        if (!run({"advance 5"})) return kRefused;
    return kLit;
}

std::string Run::broken() {
    std::ostringstream out;
    auto& k = c();
    for (auto id : kAnswering) {
        const auto vcp = *mac().monitor(id)->vcp(0x10);
        const int fallback = int(std::lround((0.5 - 0.1) / 0.9 * vcp.maximum));
        if (std::abs(vcp.current - p_.ddc[id]) > 1 &&
            !(p_.damaged && std::abs(vcp.current - fallback) <= 1))
            out << "monitor " << id << " at DDC " << vcp.current << ", was " << p_.ddc[id] << "\n";
    }
    const double panel = mac().description().displays[0].brightness;
    if (std::fabs(panel - p_.panel) > 0.011 && !(p_.damaged && std::fabs(panel - 0.5) < 0.011))
        out << "panel at " << panel << ", was " << p_.panel << "\n";
    const double keyboard = mac().brightness().keyboards()[0].level;
    if (std::fabs(keyboard - p_.keyboard) > 0.001)
        out << "keyboard at " << keyboard << ", was " << p_.keyboard << "\n";
    for (DisplayID id : {1u, 2u, 3u, 4u, 5u})
        if (mac().brightness().gamma(id).kind() != "identity")
            out << "display " << id << " gamma " << mac().brightness().gamma(id).kind() << "\n";
    // Nothing covers a screen any more: overlay, protector, Zen, break, start overlay.
    for (const auto& w : mac().windowServer().windows())
        out << "a " << w.window.kind << " window still covers a screen\n";
    if (mac().input().cursorHideCount() != 0)
        out << "the cursor is hidden (" << mac().input().cursorHideCount() << ")\n";
    if (!k.poweredOffBrightnesses.empty()) out << "a display is still listed as off\n";
    for (const auto& e : k.recoveryJournal->displays())
        out << "the recovery journal still holds display " << e.id << " (" << e.reason << ")\n";
    if (!k.recoveryJournal->keyboards().empty()) out << "the recovery journal holds keyboards\n";
    if (QFile::exists(QString::fromStdString(k.recoveryJournal->path())))
        out << "the recovery journal is still on disk\n";
    for (const auto& [id, owed] : k.owedLights)
        out << "display " << id << " is still owed its light\n";
    for (const auto& [key, value] : mac().platform().defaults->all())
        if ((key.rfind("displayBrightness.", 0) == 0 ||
             key.rfind("lastKnownDisplayBrightness.", 0) == 0))
            if (auto v = mac().platform().defaults->number(key); v && *v < 0.15)
                out << key << " stored at the dimmed value " << *v << "\n";
    return out.str();
}

int Run::go() {
    std::string error;
    auto machine =
        sim::VirtualMac::load(std::string(NIGHTLID_MACHINES) + "/" + machineFor(seed_), &error);
    if (!machine) {
        std::ofstream(path("report")) << error << "\n";
        return kRefused;
    }
    const bool first = !p_.load(path("progress"));
    ++p_.runs;
    if (!first) {
        std::istringstream(p_.rng) >> rng_;
        // Now and then what the last run left of the journal is damaged before the start.
        const std::string journal =
            path("profile") + "/home/Library/Application Support/Nightlid/recovery.json";
        if (rng_() % 6 == 0 && QFile::exists(QString::fromStdString(journal))) {
            std::ofstream(path("trace.nls"), std::ios::app) << "# damage-journal\n";
            std::ofstream(journal) << "{\"displays\":[";
            p_.damaged = true;
        }
    }
    session_ =
        std::make_unique<scripting::Session>(*machine, sim::VirtualMacOptions{path("profile")});
    driver_ = std::make_unique<scripting::ScriptDriver>(*session_, out_, err_);
    session_->launch();
    if (first) {
        rng_.seed(seed_);
        p_.steps = std::uniform_int_distribution<int>(5, 40)(rng_);
        std::vector<std::string> setup = {"# seed " + std::to_string(seed_), "advance 0.5"};
        // Half the runs keep the machine awake and turn the screens off after a minute idle.
        if (rng_() % 2) {
            setup.insert(setup.begin() + 1, "default autoRemoteStandbyTimeout 60");
            setup.insert(setup.begin() + 2, "click 잠 안자기");
        }
        if (!run(setup)) return kRefused;
        lookNow();
    } else {
        std::ofstream(path("trace.nls"), std::ios::app)
            << "# --- run " << p_.runs << ": the program starts again on the same profile ---\n";
        if (!run({"advance 0.5"})) return kRefused;
    }
    while (p_.step < p_.steps) {
        std::vector<std::string> lines = next();
        std::ostringstream state;
        state << rng_;
        p_.rng = state.str();
        ++p_.step;
        p_.save(path("progress"));
        if (lines.empty()) continue;
        if (!run(lines)) return kRefused;
        if (quit_) {
            // As the program's process ends after a quit.
            driver_.reset();
            session_.reset();
            return kQuit;
        }
        if (chose_) {
            // The person's own choice is what that display must come back to.
            Progress now = p_;
            lookNow();
            if (*chose_ != kPanel) p_.panel = now.panel;
            for (auto id : kAnswering)
                if (id != *chose_) p_.ddc[id] = now.ddc[id];
            p_.keyboard = now.keyboard;
            p_.save(path("progress"));
        }
    }
    if (const int ended = endEverything(); ended != kLit) return ended;
    const auto what = broken();
    if (what.empty()) return kLit;
    std::ofstream report(path("report"));
    report << what;
    if (std::getenv("NIGHTLID_DARK_SEED"))
        for (const auto& line : mac().log().lines())
            report << "log: " << line << "\n";
    return kBroken;
}

std::string fileText(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// Runs one seed's sequence, one child process per run of the program; empty when every display
// ended lit, else what went wrong and the script that replays it.
std::string runSequence(unsigned seed) {
    // In memory where the machine has it: every default and hardware change is synced to disk.
    QTemporaryDir dir(QDir("/dev/shm").exists() ? "/dev/shm/nightlid-dark-XXXXXX"
                                                : QDir::tempPath() + "/nightlid-dark-XXXXXX");
    const std::string folder = dir.path().toStdString();
    for (int runs = 0; runs < 200; ++runs) {
        const pid_t child = fork();
        if (child == 0) {
            // A run that hangs is killed rather than holding the suite.
            alarm(300);
            _exit(Run(folder, seed).go());
        }
        int status = 0;
        waitpid(child, &status, 0);
        if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) continue; // a crash: start again
        if (WIFEXITED(status) && WEXITSTATUS(status) == kQuit) continue;
        if (WIFEXITED(status) && WEXITSTATUS(status) == kLit) return {};
        std::string why = fileText(folder + "/report");
        if (WIFSIGNALED(status))
            why = "a run died of signal " + std::to_string(WTERMSIG(status)) + "\n" + why;
        const std::string trace = fileText(folder + "/trace.nls");
        const std::string saved =
            QDir::tempPath().toStdString() + "/nightlid-dark-seed-" + std::to_string(seed) + ".nls";
        std::ofstream(saved) << trace;
        return "seed " + std::to_string(seed) + ":\n" + why + "replay: scripts/replay-runs " +
               "build/src/nightlid resources/machines/" + machineFor(seed) + " " + saved + "\n" +
               trace;
    }
    return "seed " + std::to_string(seed) + ": more than 200 runs\n";
}

// The seeds are shared out over a few tests so that ctest runs them side by side.
constexpr int kShards = 5;

class RandomDarkStateShard : public ::testing::TestWithParam<int> {};

TEST_P(RandomDarkStateShard, EveryMixOfFeaturesEndsWithEveryDisplayLit) {
#if defined(__SANITIZE_ADDRESS__)
    int sequences = 40;
#else
    int sequences = 500;
#endif
    if (const char* count = std::getenv("NIGHTLID_DARK_SEQUENCES"))
        sequences = std::max(1, std::atoi(count));
    std::vector<unsigned> seeds;
    if (const char* one = std::getenv("NIGHTLID_DARK_SEED")) {
        if (GetParam() == 0) seeds.push_back(unsigned(std::strtoul(one, nullptr, 10)));
    } else {
        for (int i = GetParam(); i < sequences; i += kShards)
            seeds.push_back(unsigned(i + 1));
    }
    for (unsigned seed : seeds) {
        const auto failure = runSequence(seed);
        ASSERT_TRUE(failure.empty()) << failure;
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomDarkStateShard, ::testing::Range(0, kShards));

} // namespace
