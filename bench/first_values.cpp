// Values on screen at once: the interactive simulator (`make run`: Qt's own loop, the real clock,
// the devices' real bus times) on the default machine, two monitors that answer and a TV that
// does not. From the control window's first frame, how long until every display that answers has
// its brightness and volume drawn as a value (no longer "--%"). Launched afresh each round.

#include "OffscreenBench.h"
#include "app/BlackoutController.h"
#include "app/LaunchOptions.h"
#include "appkit/Window.h"
#include "backend/scripting/VirtualMacProgram.h"
#include "display/DisplayEngine.h"
#include "platform/Applications.h"
#include "platform/Platform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int kRounds = 9;
bool failed = false;

QWidget* controlWidget() {
    if (!BlackoutController::hasShared()) return nullptr;
    const auto& window = BlackoutController::shared().controlWindow;
    return window && window->isVisible() ? window->widget() : nullptr;
}

// Watches the control window: its first frame, and when each value label first held a value.
class Watch : public QObject {
  public:
    struct Round {
        std::optional<double> firstFrameMs;
        std::map<int, double> shownMs; // label tag (brightness or volume) -> first drawn
        std::map<int, DisplayID> labelDisplay;
        std::vector<DisplayID> answering;
        std::string error;
    };

    explicit Watch(Round& round) : round_(round) {
        clock_.start();
        qApp->installEventFilter(this);
        // Once everything has had time to arrive (the TV's reads give up within seconds).
        QTimer::singleShot(6000, this, [this] { finish(); });
        // Labels below the fold are not drawn: their text is looked at every millisecond.
        poll_.setInterval(1);
        connect(&poll_, &QTimer::timeout, this, [this] { look(); });
        poll_.start();
    }
    ~Watch() override { qApp->removeEventFilter(this); }

  protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() != QEvent::Paint || !object->isWidgetType()) return false;
        QWidget* top = controlWidget();
        auto* widget = static_cast<QWidget*>(object);
        if (!top || (widget != top && !top->isAncestorOf(widget))) return false;
        if (!round_.firstFrameMs) round_.firstFrameMs = double(clock_.nsecsElapsed()) / 1e6;
        return false;
    }

  private:
    void look() {
        if (!controlWidget()) return;
        const double now = double(clock_.nsecsElapsed()) / 1e6;
        auto& c = BlackoutController::shared();
        auto note = [&](const std::map<int, QPointer<QLabel>>& labels,
                        const std::map<int, ControlledDisplay>& displays) {
            for (const auto& [tag, label] : labels)
                if (label && label->text() != "--%" && !round_.shownMs.count(tag) &&
                    displays.count(tag)) {
                    round_.shownMs[tag] = now;
                    round_.labelDisplay[tag] = displays.at(tag).id;
                }
        };
        note(c.brightnessLabels, c.sliderDisplays);
        note(c.volumeLabels, c.volumeSliders);
    }

    void finish() {
        if (!controlWidget()) {
            round_.error = "the control window was not shown";
        } else {
            auto& engine = DisplayEngine::shared();
            for (const auto& d : engine.displays)
                if (d.isBuiltIn || engine.hasAnswered(d.id)) round_.answering.push_back(d.id);
        }
        platform::current().applications->terminate();
    }

    Round& round_;
    QElapsedTimer clock_;
    QTimer poll_;
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

void BM_ValuesAfterTheFirstFrame(benchmark::State& state) {
    for (auto _ : state) {
        std::vector<double> firstFrame, lastValue;
        for (int round = 0; round < kRounds; ++round) {
            QTemporaryDir profile;
            LaunchOptions options;
            options.virtualMac = true;
            options.profileFolder = profile.path().toStdString();
            Watch::Round r;
            int status = 0;
            {
                Watch watch(r);
                status = sim::runOnVirtualMac(*qApp, options);
            }
            if (r.error.empty() && status != 0)
                r.error = "the program exited with " + std::to_string(status);
            if (r.error.empty() && (!r.firstFrameMs || r.answering.size() < 3))
                r.error = "no first frame, or fewer than the panel and two monitors answered";
            // Every answering display's brightness and volume, drawn as values.
            double last = 0;
            for (auto id : r.answering) {
                int shown = 0;
                for (const auto& [tag, display] : r.labelDisplay)
                    if (display == id) {
                        last = std::max(last, r.shownMs[tag] - *r.firstFrameMs);
                        ++shown;
                    }
                if (r.error.empty() && shown < 2)
                    r.error = "display " + std::to_string(id) + " never showed both its values";
            }
            if (!r.error.empty()) {
                failed = true;
                state.SkipWithError(r.error.c_str());
                return;
            }
            firstFrame.push_back(*r.firstFrameMs);
            lastValue.push_back(last);
        }
        state.counters["first_frame_ms"] = median(firstFrame);
        state.counters["values_after_first_frame_ms"] = median(lastValue);
        state.counters["values_after_first_frame_ms_max"] =
            *std::max_element(lastValue.begin(), lastValue.end());
    }
}

} // namespace

BENCHMARK(BM_ValuesAfterTheFirstFrame)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv) {
    return bench::runOffscreen(argc, argv, failed);
}
