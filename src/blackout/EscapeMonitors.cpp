#include "app/BlackoutController.h"
#include "platform/InputActivity.h"
#include "platform/Platform.h"
#include "platform/RunLoop.h"

namespace {

constexpr uint16_t kEscapeKeyCode = 53;

} // namespace

void BlackoutController::installEscapeKeyMonitors() {
    auto* input = platform::current().inputActivity;
    if (!input) return;
    // Both reach the controller through shared(), so neither outlives it.
    escapeKeyMonitor = input->addLocalMonitorForEvents(
        platform::kKeyDownMask, [](const platform::Event& event) -> std::optional<platform::Event> {
            if (event.keyCode != kEscapeKeyCode || !hasShared()) return event;
            auto& c = shared();
            if (c.isZenModeActive) {
                c.stopZenMode(false);
                return std::nullopt;
            }
            if (c.isPomodoroActive) {
                if (c.pomodoroPhase == PomodoroPhase::breakTime)
                    c.togglePomodoroPauseFromBreak();
                else
                    c.stopPomodoroAlert();
                return std::nullopt;
            }
            if (c.hasActiveOffMode()) {
                c.stop();
                return std::nullopt;
            }
            return event;
        });
    input->addGlobalMonitorForEvents(platform::kKeyDownMask, [](const platform::Event& event) {
        if (event.keyCode != kEscapeKeyCode) return;
        platform::mainQueue().async([] {
            if (!hasShared()) return;
            auto& c = shared();
            if (c.isZenModeActive)
                c.stopZenMode(false);
            else if (c.isPomodoroActive && c.pomodoroPhase == PomodoroPhase::breakTime)
                c.togglePomodoroPauseFromBreak();
            else if (c.hasActiveOffMode())
                c.stop();
        });
    });
}
