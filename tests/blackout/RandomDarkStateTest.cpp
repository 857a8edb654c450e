// Long random mixes of every feature that darkens a display, each ended as a user would; after
// each mix every display must be back as it was. A failing seed prints its actions as script lines
// (NIGHTLID_DARK_SEED=N runs that seed alone; NIGHTLID_DARK_SEQUENCES=N sets how many run).

#include "app/AppTestSupport.h"
#include "appkit/Button.h"
#include "appkit/PopUpButton.h"
#include "appkit/Slider.h"
#include "display/DisplayEngine.h"
#include "blackout/RecoveryJournal.h"
#include "platform/sim/SimBrightness.h"
#include "platform/sim/SimInput.h"

#include <QDir>
#include <QTemporaryDir>

#include <cmath>
#include <cstdlib>
#include <random>
#include <sstream>

namespace {

constexpr DisplayID kPanel = 1;
const std::vector<DisplayID> kMonitors = {2, 3}; // answer DDC/CI; 4 is a TV that never answers
const std::vector<DisplayID> kExternals = {2, 3, 4};

class RandomDarkStateTest : public AppTest {
  protected:
    void SetUp() override {}

    // A machine on a profile that outlives the process, as a real Mac's monitors keep their state.
    void start(const sim::MachineDescription& machine) {
        boot(machine, {.profileDir = profile_->path().toStdString()});
        // The mix opens alerts on purpose (a phase ends, no screen is left): a person would
        // answer them with their first button.
        mac().alerts().setUnexpected(nullptr);
        launch();
    }

    sim::MachineDescription current() {
        auto m = mac().description();
        return m;
    }

    // The program ends (quit: its own shut-down runs; kill: nothing does) and starts again on
    // the same hardware. Gamma tables and windows go with the process.
    void restart(bool kill) {
        if (!kill) delegate().applicationWillTerminate();
        advance();
        auto machine = current();
        start(machine);
    }

    struct Expected {
        std::map<DisplayID, uint16_t> ddc;
        float panel = 0;
        float keyboard = 0;
    };

    Expected look() {
        Expected e;
        for (auto id : kMonitors)
            e.ddc[id] = monitor(id).vcp(0x10)->current;
        e.panel = mac().description().displays[0].brightness;
        e.keyboard = mac().brightness().keyboards()[0].level;
        return e;
    }

    bool online(DisplayID id) {
        auto ids = mac().onlineDisplays();
        return std::find(ids.begin(), ids.end(), id) != ids.end();
    }

    bool nothingDark() {
        auto& c = controller();
        return !c.isZenModeActive && !c.isPomodoroActive && !c.isRemoteStandbyActive && !c.window &&
               c.poweredOffBrightnesses.empty() && c.recoveryJournal->empty();
    }

    // One random action; the display whose brightness the user chose, if that was the action.
    std::optional<DisplayID> act(std::mt19937& rng, std::ostream& trace);
    void endEverything(std::ostream& trace);
    std::string invariantBroken(const Expected& before);
    bool runSequence(unsigned seed, std::string& report);

    std::unique_ptr<QTemporaryDir> profile_;
};

template <typename T> const T& pick(std::mt19937& rng, const std::vector<T>& from) {
    return from[std::uniform_int_distribution<size_t>(0, from.size() - 1)(rng)];
}

std::optional<DisplayID> RandomDarkStateTest::act(std::mt19937& rng, std::ostream& trace) {
    auto& c = controller();
    const int kind = std::uniform_int_distribution<int>(0, 23)(rng);
    const DisplayID any = pick(rng, std::vector<DisplayID>{1, 2, 3, 4});
    switch (kind) {
    case 0:
        trace << "# Zen for a minute (click 🧘 Zen, type 1, click Start)\n";
        c.startZenMode(1);
        break;
    case 1:
        trace << "# Zen pause (click the pause pill)\n";
        c.toggleZenModePause();
        break;
    case 2:
        trace << "# Zen stop pill\n";
        c.stopZenMode(false);
        break;
    case 3:
        trace << "# Pomodoro 1/1 x2 (panel: type 1, 1, 2, click Start)\n";
        c.startPomodoro(1, 1, 2);
        break;
    case 4:
        trace << "# Pomodoro: end the break\n";
        c.skipPomodoroBreak();
        break;
    case 5:
        trace << "# Pomodoro: status panel pause\n";
        c.togglePomodoroPause();
        break;
    case 6:
        trace << "# Pomodoro: break screen pause\n";
        c.togglePomodoroPauseFromBreak();
        break;
    case 7: {
        const bool stop = rng() % 2;
        trace << "# Pomodoro: the stop question, answered " << (stop ? "Stop" : "Resume") << "\n";
        mac().alerts().queueAnswers({stop ? 0 : 1});
        c.stopPomodoroAlert();
        break;
    }
    case 8:
    case 9:
    case 10: {
        const double s = pick(rng, std::vector<double>{0.2, 1, 5, 20, 45, 70});
        trace << "advance " << s << "\n";
        advance(s, s > 5 ? 1.0 : 0.15);
        return std::nullopt;
    }
    case 11:
        trace << "power-toggle " << any << "\n";
        c.toggleDisplayPowerByID(any);
        break;
    case 12:
        if (auto it = c.powerButtons.find(any); it != c.powerButtons.end() && it->second) {
            trace << "power-tile " << any << "\n";
            c.displayPowerChanged(*it->second);
        }
        break;
    case 13:
        trace << "# protector mode on (status menu)\n";
        c.start();
        break;
    case 14: {
        const bool local = rng() % 2;
        trace << "key 53 " << (local ? "local" : "global") << "\n";
        if (local)
            mac().input().pressKeyInApplication(53);
        else
            mac().input().pressKeyInOtherApplication(53);
        break;
    }
    case 15:
        trace << "# keep-awake: Turn Off Screen button\n";
        c.startRemoteStandbyClicked();
        break;
    case 16: {
        const bool physical = rng() % 4 != 0;
        trace << "mouse-click " << (physical ? "physical" : "remote") << "\n";
        mac().input().clickInOtherApplication(physical ? 0 : 4242);
        break;
    }
    case 17: {
        const DisplayID ext = pick(rng, kExternals);
        const bool out = online(ext);
        trace << (out ? "unplug " : "plug ") << ext << "\n";
        if (out)
            mac().unplug(ext);
        else
            mac().plug(ext);
        break;
    }
    case 18: {
        const bool english = rng() % 2;
        trace << "language " << (english ? "en" : "ko") << "\n";
        c.languageChanged(english ? 1 : 0);
        break;
    }
    case 19: {
        // The user's own brightness is only chosen while nothing is dark: that is the value
        // every route must come back to.
        if (!nothingDark()) break;
        for (const auto& [tag, d] : c.sliderDisplays) {
            if (d.id != any) continue;
            auto* slider = appkit::viewWithTag<appkit::Slider>(c.controlWindow->contentView(), tag);
            if (!slider) break;
            const double v = std::uniform_int_distribution<int>(20, 100)(rng) / 100.0;
            trace << "slider " << tag << " " << v << "\n";
            slider->setDoubleValue(v);
            c.brightnessChanged(*slider);
            advance(0.3, 0.15);
            return any;
        }
        break;
    }
    case 20:
        trace << "quit\n# start again on the same profile\n";
        restart(false);
        break;
    case 21:
        trace << "crash\n# start again on the same profile\n";
        restart(true);
        break;
    case 22:
        trace << "mouse-move\n";
        mac().input().moveMouse();
        break;
    case 23:
        trace << "# status menu: Restore Screen\n";
        c.stop();
        break;
    }
    advance(0.3, 0.15);
    return std::nullopt;
}

void RandomDarkStateTest::endEverything(std::ostream& trace) {
    trace << "# --- every feature ended as a user would ---\n";
    for (auto id : kExternals)
        if (!online(id)) {
            trace << "plug " << id << "\n";
            mac().plug(id);
        }
    advance(0.5, 0.25);
    auto& c = controller();
    if (c.isZenModeActive) c.stopZenMode(false);
    if (c.isPomodoroActive) c.stopPomodoroFromAction();
    if (c.isRemoteStandbyActive) {
        advance(2.5, 0.5);
        mac().input().clickInOtherApplication(0);
    }
    advance(0.3, 0.15);
    if (c.hasActiveOffMode()) mac().input().pressKeyInApplication(53);
    advance(0.3, 0.15);
    const auto off = c.poweredOffBrightnesses;
    for (const auto& [id, value] : off)
        c.toggleDisplayPowerByID(id);
    advance(1, 0.25);
}

std::string RandomDarkStateTest::invariantBroken(const Expected& before) {
    std::ostringstream out;
    auto& c = controller();
    const auto now = look();
    for (auto id : kMonitors)
        if (std::abs(int(now.ddc.at(id)) - int(before.ddc.at(id))) > 1)
            out << "monitor " << id << " at DDC " << now.ddc.at(id) << ", was " << before.ddc.at(id)
                << "\n";
    if (std::fabs(now.panel - before.panel) > 0.011f)
        out << "panel at " << now.panel << ", was " << before.panel << "\n";
    if (std::fabs(now.keyboard - before.keyboard) > 0.001f)
        out << "keyboard at " << now.keyboard << ", was " << before.keyboard << "\n";
    for (DisplayID id : {1u, 2u, 3u, 4u}) {
        if (mac().brightness().gamma(id).kind() != "identity")
            out << "display " << id << " gamma " << mac().brightness().gamma(id).kind() << "\n";
        if (DisplayEngine::shared().overlayWindows.count(id))
            out << "display " << id << " under the overlay\n";
    }
    if (!c.poweredOffBrightnesses.empty()) out << "a display is still listed as off\n";
    for (const auto& e : c.recoveryJournal->displays())
        out << "the recovery journal still holds display " << e.id << " (" << e.reason << ")\n";
    if (!c.recoveryJournal->keyboards().empty()) out << "the recovery journal holds keyboards\n";
    for (const auto& key :
         {"displayBrightness.DELL U2723QE", "lastKnownDisplayBrightness.DELL U2723QE"})
        if (auto v = defaults().number(key); v && *v < 0.15)
            out << key << " stored at the dimmed value " << *v << "\n";
    return out.str();
}

bool RandomDarkStateTest::runSequence(unsigned seed, std::string& report) {
    // In memory where the machine has it: every default and hardware change is synced to disk.
    profile_ = QDir("/dev/shm").exists()
                   ? std::make_unique<QTemporaryDir>("/dev/shm/nightlid-dark-XXXXXX")
                   : std::make_unique<QTemporaryDir>();
    std::mt19937 rng(seed);
    auto machine = sim::VirtualMac::defaultDescription();
    // The battery card's profiler is a real child process: not what is tested here.
    if (machine.battery) machine.battery->hasProfiler = false;
    start(machine);
    // Half the runs keep the machine awake and turn the screens off after a minute idle.
    if (rng() % 2) {
        auto& c = controller();
        c.remoteStandbyTimeoutPopup->selectItem(0);
        c.remoteStandbyTimeoutChanged(*c.remoteStandbyTimeoutPopup);
        c.autoRemoteStandbyCheckbox->performClick();
    }
    advance(0.5, 0.25);
    std::ostringstream trace;
    trace << "# seed " << seed << "\nadvance 0.5\n";
    Expected before = look();
    const int steps = std::uniform_int_distribution<int>(5, 40)(rng);
    for (int i = 0; i < steps; ++i) {
        // The user's own choice becomes what that display must come back to.
        const auto chosen = act(rng, trace);
        if (!chosen) continue;
        const auto now = look();
        if (*chosen == kPanel) before.panel = now.panel;
        if (now.ddc.count(*chosen)) before.ddc[*chosen] = now.ddc.at(*chosen);
    }
    endEverything(trace);
    const auto broken = invariantBroken(before);
    if (broken.empty()) return true;
    report = "seed " + std::to_string(seed) + ":\n" + broken + trace.str();
    if (std::getenv("NIGHTLID_DARK_SEED"))
        for (const auto& line : log().lines())
            report += "log: " + line + "\n";
    return false;
}

// The seeds are shared out over a few tests so that ctest runs them side by side.
constexpr int kShards = 5;

class RandomDarkStateShard : public RandomDarkStateTest,
                             public ::testing::WithParamInterface<int> {};

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
        std::string report;
        const bool lit = runSequence(seed, report);
        ASSERT_TRUE(lit) << report;
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomDarkStateShard, ::testing::Range(0, kShards));

} // namespace
