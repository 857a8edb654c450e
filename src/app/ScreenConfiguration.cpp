#include "app/BlackoutController.h"

#include "appkit/Window.h"
#include "display/DisplayEngine.h"

#include <set>

namespace {

std::set<DisplayID> registryIDs(const DisplayEngine& engine) {
    std::set<DisplayID> ids;
    for (const auto& d : engine.displays)
        ids.insert(d.id);
    return ids;
}

} // namespace

void BlackoutController::screenConfigurationChanged(bool rebuildVisibleWindow) {
    // A display plugged back in gets back what the program took from it, protector mode or not.
    if (isProtecting) {
        recoverFromUncleanExit();
        return;
    }
    auto before = registryIDs(displayEngine);
    displayEngine.refreshDisplays();
    auto after = registryIDs(displayEngine);
    recoverFromUncleanExit();
    const bool rebuild =
        before != after || !controlWindow || (rebuildVisibleWindow && controlWindow->isVisible());
    // While a combination is being recorded none is held; a rebuilt window ends the recording.
    if (!isRecordingHotkey)
        registerAllGlobalHotkeys();
    else if (rebuild)
        exitHotkeyRecording(true);
    if (!rebuild) return;

    // A closed window is rebuilt too: it must not come back showing displays that are gone.
    if (syncTimer) syncTimer->invalidate();
    if (controlWindow) controlWindow->orderOut();
    controlWindow.reset();
    showControlWindow();
}
