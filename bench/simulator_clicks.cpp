// Memory in the program people run: the interactive simulator (`make run`), Qt's own event loop,
// the real clock, the simulator's window drawn beside the control window, on the default machine.
// A hand picks a monitor in the simulator's display choice and clicks its Unplug and Plug in
// buttons, 250 times each, through the window system's mouse input as a person's clicks arrive;
// each click waits until the control window has been rebuilt and the devices have answered
// (the TV that never answers included), as a person waits to see the values.
// After every cycle the allocator gives back what it keeps for later (malloc_trim), then the
// process's private memory (its written pages, Private_Dirty) is read. Reports the growth per cycle
// over the last 100 cycles (end to end, and the least-squares slope), the heap in use beside it,
// and the widgets alive.

#include "OffscreenBench.h"
#include "app/BlackoutController.h"
#include "app/LaunchOptions.h"
#include "appkit/Window.h"
#include "backend/scripting/VirtualMacProgram.h"
#include "display/DisplayEngine.h"
#include "platform/Applications.h"
#include "platform/Platform.h"
#include "platform/SerialQueue.h"
#include "platform/SystemLog.h"
#include "platform/sim/SimulatorWindow.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>
#include <QtTest/qtestmouse.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <malloc.h>
#include <string>
#include <vector>

namespace {

constexpr int kCycles = 250;
constexpr int kLast = 100;
constexpr uint32_t kMonitor = 3;
bool failed = false;

// The pages only this process has written (its heaps, stacks, buffers). Private_Clean is left
// out: it counts the libraries' pages that no other process maps at that moment, so it swings by
// megabytes as other Qt programs on the machine start and end.
double privateKiB() {
    std::ifstream rollup("/proc/self/smaps_rollup");
    for (std::string line; std::getline(rollup, line);)
        if (line.rfind("Private_Dirty:", 0) == 0) return std::stod(line.substr(line.find(':') + 1));
    return 0;
}

// A person's click: the pointer moves there, the button goes down and comes up, through the
// window system's input (the widget under the pointer, grabs and popups decide who gets it).
void click(QWidget* w, QPoint at) {
    static int timestamp = 1;
    QWidget* top = w->window();
    QWindow* window = top->windowHandle();
    const QPointF local = w->mapTo(top, at);
    const QPointF global = window->mapToGlobal(local);
    // Far enough apart that no two clicks make a double click.
    timestamp += 1000;
    qt_handleMouseEvent(window, local, global, Qt::NoButton, Qt::NoButton, QEvent::MouseMove,
                        Qt::NoModifier, timestamp);
    qt_handleMouseEvent(window, local, global, Qt::LeftButton, Qt::LeftButton,
                        QEvent::MouseButtonPress, Qt::NoModifier, timestamp + 1);
    qt_handleMouseEvent(window, local, global, Qt::NoButton, Qt::LeftButton,
                        QEvent::MouseButtonRelease, Qt::NoModifier, timestamp + 80);
}

QPushButton* buttonTitled(QWidget* window, const QString& title) {
    for (auto* b : window->findChildren<QPushButton*>())
        if (b->text() == title) return b;
    return nullptr;
}

const appkit::Window* controlWindow() {
    if (!BlackoutController::hasShared()) return nullptr;
    const auto& window = BlackoutController::shared().controlWindow;
    return window && window->isVisible() ? window.get() : nullptr;
}

bool devicesIdle() {
    auto* global = platform::current().globalQueue;
    return (!DisplayEngine::hasShared() || DisplayEngine::shared().ddcIdle()) &&
           (!global || global->isIdle());
}

// The hand: each step waits (Qt's loop running) until what it waits for is there, then acts.
class Hand : public QObject {
  public:
    struct Figures {
        std::vector<double> privateKiB, heapKiB, widgets, logLines, cycleMs;
        std::string error;
    };

    explicit Hand(Figures& figures) : figures_(figures) {
        poll_.setInterval(10);
        connect(&poll_, &QTimer::timeout, this, [this] { check(); });
        poll_.start();
        waitFor([this] { return findWindows(); }, [this] { openDisplayChoice(); });
    }

  private:
    using Condition = std::function<bool()>;
    using Action = std::function<void()>;

    void waitFor(Condition condition, Action then) {
        condition_ = std::move(condition);
        then_ = std::move(then);
        idleTurns_ = 0;
        waiting_.start();
    }

    void check() {
        if (!condition_) return;
        if (waiting_.elapsed() > 60000) return fail("a step waited a minute in vain");
        // Settled when it still holds a turn later: what the devices posted back has landed.
        idleTurns_ = condition_() ? idleTurns_ + 1 : 0;
        if (idleTurns_ < 2) return;
        condition_ = nullptr;
        auto then = std::move(then_);
        then();
    }

    void fail(const std::string& why) {
        figures_.error = why;
        condition_ = nullptr;
        quit();
    }

    // As the status menu's Quit does.
    static void quit() {
        if (BlackoutController::hasShared())
            platform::current().applications->terminate();
        else
            QApplication::quit();
    }

    bool findWindows() {
        for (auto* w : QApplication::topLevelWidgets())
            if (auto* s = dynamic_cast<sim::SimulatorWindow*>(w); s && s->isVisible())
                simulator_ = s;
        return simulator_ && controlWindow() && devicesIdle();
    }

    void openDisplayChoice() {
        for (auto* box : simulator_->findChildren<QComboBox*>())
            if (box->findData(kMonitor) >= 0) choice_ = box;
        unplug_ = buttonTitled(simulator_, "Unplug");
        plug_ = buttonTitled(simulator_, "Plug in");
        if (!choice_ || !unplug_ || !plug_)
            return fail("the simulator has no display choice or no Unplug / Plug in button");
        click(choice_, choice_->rect().center());
        waitFor([this] { return choice_->view()->isVisible(); }, [this] { chooseMonitor(); });
    }

    void chooseMonitor() {
        QAbstractItemView* list = choice_->view();
        const QRect item =
            list->visualRect(choice_->model()->index(choice_->findData(kMonitor), 0));
        click(list->viewport(), item.center());
        waitFor([this] { return !choice_->view()->isVisible(); },
                [this] {
                    if (choice_->currentData().toUInt() != kMonitor)
                        return fail("the display choice did not take the monitor");
                    cycle_.start();
                    press(unplug_, false);
                });
    }

    // One click, then the next once the control window is rebuilt and the devices are quiet.
    void press(QPushButton* button, bool plugged) {
        const appkit::Window* before = controlWindow();
        click(button, button->rect().center());
        waitFor([before] { return controlWindow() && controlWindow() != before && devicesIdle(); },
                [this, plugged] { plugged ? cycleDone() : press(plug_, true); });
    }

    void cycleDone() {
        figures_.cycleMs.push_back(double(cycle_.restart()));
        figures_.logLines.push_back(double(platform::current().log->lines().size()));
        malloc_trim(0);
        figures_.privateKiB.push_back(privateKiB());
        figures_.heapKiB.push_back(double(mallinfo2().uordblks) / 1024.0);
        figures_.widgets.push_back(double(QApplication::allWidgets().size()));
        if (int(figures_.privateKiB.size()) == kCycles) {
            condition_ = nullptr;
            quit();
            return;
        }
        press(unplug_, false);
    }

    Figures& figures_;
    QTimer poll_;
    QElapsedTimer waiting_, cycle_;
    Condition condition_;
    Action then_;
    int idleTurns_ = 0;
    sim::SimulatorWindow* simulator_ = nullptr;
    QComboBox* choice_ = nullptr;
    QPushButton* unplug_ = nullptr;
    QPushButton* plug_ = nullptr;
};

// Growth per cycle over the last readings: end to end, and the least-squares slope.
std::pair<double, double> growth(const std::vector<double>& values) {
    const size_t first = values.size() - kLast;
    const double endToEnd = (values.back() - values[first - 1]) / kLast;
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (size_t i = first; i < values.size(); ++i) {
        const double x = double(i), y = values[i];
        sx += x, sy += y, sxx += x * x, sxy += x * y;
    }
    const double n = kLast;
    return {endToEnd, (n * sxy - sx * sy) / (n * sxx - sx * sx)};
}

void BM_UnplugPlugClicksInTheSimulator(benchmark::State& state) {
    for (auto _ : state) {
        QTemporaryDir profile;
        LaunchOptions options;
        options.virtualMac = true;
        options.profileFolder = profile.path().toStdString();
        Hand::Figures figures;
        Hand hand(figures);
        const int status = sim::runOnVirtualMac(*qApp, options);
        if (figures.error.empty() && status != 0)
            figures.error = "the program exited with " + std::to_string(status);
        if (figures.error.empty() && int(figures.privateKiB.size()) != kCycles)
            figures.error = "the program ended before its clicks were done";
        if (!figures.error.empty()) {
            failed = true;
            state.SkipWithError(figures.error.c_str());
            return;
        }
        const auto [privateEnd, privateSlope] = growth(figures.privateKiB);
        const auto [heapEnd, heapSlope] = growth(figures.heapKiB);
        const size_t first = kCycles - kLast - 1;
        state.counters["private_KiB_per_cycle"] = privateEnd;
        state.counters["private_KiB_per_cycle_slope"] = privateSlope;
        state.counters["heap_KiB_per_cycle"] = heapEnd;
        state.counters["heap_KiB_per_cycle_slope"] = heapSlope;
        state.counters["private_MiB_after_150"] = figures.privateKiB[first] / 1024;
        state.counters["private_MiB_after_250"] = figures.privateKiB.back() / 1024;
        state.counters["widgets_after_150"] = figures.widgets[first];
        state.counters["widgets_after_250"] = figures.widgets.back();
        state.counters["log_lines_after_150"] = figures.logLines[first];
        state.counters["log_lines_after_250"] = figures.logLines.back();
        std::vector<double> cycles = figures.cycleMs;
        std::sort(cycles.begin(), cycles.end());
        state.counters["cycle_ms"] = cycles[cycles.size() / 2];
    }
}

} // namespace

BENCHMARK(BM_UnplugPlugClicksInTheSimulator)->Unit(benchmark::kSecond)->Iterations(1);

int main(int argc, char** argv) {
    return bench::runOffscreen(argc, argv, failed);
}
