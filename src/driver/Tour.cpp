#include "driver/Tour.h"

namespace driver {

std::string tourScript() {
    return R"(# Launch: the control window opens, the status item sits in the menu bar.
advance 1
screenshot ${OUT}/01-launch.png
screenshot-control-window ${OUT}/02-control-window.png
# The status menu, in Korean (the machine's language).
click-status-item right
screenshot ${OUT}/03-status-menu-ko.png
menu 업데이트 확인...
# The updater answers with an alert; the next line dismisses it.
alert OK
# The same menu in English.
language en
click-status-item control
screenshot ${OUT}/04-status-menu-en.png
menu Check for Updates...
alert OK
# A monitor is unplugged: the registry and the control window follow.
unplug 3
advance 1
screenshot ${OUT}/05-unplugged.png
screenshot-control-window ${OUT}/06-control-window-after-unplug.png
plug 3
advance 1
# The first monitor dimmed into its overlay, the second one black by gamma, the panel lower.
brightness 2 0.03
brightness 1 0.35
gamma-blackout 3
advance 0.5
screenshot ${OUT}/07-dimmed-and-gamma-black.png
gamma-restore 3
brightness 2 0.6
# The second monitor switched off from its tile; protector mode over the panel.
power-tile 3
click-status-item right
menu Turn On Protector Mode
advance 0.5
screenshot ${OUT}/08-switched-off-and-protector.png
key 53 global
advance 0.5
# The control window in the dark theme, in English.
theme-button
advance 0.5
screenshot-control-window ${OUT}/09-control-window-dark.png
power-tile 3
advance 0.2
screenshot-control-window ${OUT}/10-control-window-tile-off.png
power-tile 3
advance 0.5
# A hotkey being recorded on the first monitor's tile.
click 5001
flags 6144
advance 0.1
screenshot-control-window ${OUT}/11-hotkey-recording.png
key 53 local
advance 0.1
# A Zen run on the panel, shown alone, mid-breath and paused.
click "🧘♂️ Zen"
advance 0.1
click Start
zoom-screen 1
advance 4
screenshot ${OUT}/12-zen-breathing.png
click Pause
advance 0.5
screenshot ${OUT}/13-zen-paused.png
key 53 local
zoom-screen all
advance 0.5
# A larger text size on the panel and the second monitor mirroring the main display.
click-status-item left
advance 0.1
scaling 1 0
advance 0.6
popup 4002 "Mirror Display"
advance 0.6
screenshot ${OUT}/14-resolution-and-mirror.png
screenshot-control-window ${OUT}/15-display-card-scaling.png
popup 4002 "Extended Display"
scaling 1 3
advance 0.6
# A one-minute Pomodoro: the start card, then the break screen on the panel.
click "🍅 Pomodoro"
advance 0.1
type "Focus duration:" 1
type "Break duration:" 1
screenshot-window "Pomodoro Settings" ${OUT}/16-pomodoro-settings.png
click Start
advance 0.5
screenshot ${OUT}/17-pomodoro-started.png
advance 61
zoom-screen 1
advance 0.1
screenshot ${OUT}/18-pomodoro-break.png
click "🍅 Status"
advance 0.1
screenshot-window "Pomodoro Status" ${OUT}/19-pomodoro-status.png
zoom-screen all
click "Stop Pomodoro"
advance 0.5
)";
}

} // namespace driver
