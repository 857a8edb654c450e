#include "display/DimmerOverlayWindow.h"

DimmerOverlayWindow::DimmerOverlayWindow(const platform::Screen& screen)
    : Panel(screen.frame, appkit::StyleMask::borderless | appkit::StyleMask::nonactivatingPanel,
            appkit::BackingStore::buffered, false, "overlay") {
    setBackgroundColor(appkit::blackColor);
    setOpaque(false);
    setAlphaValue(0);
    setIgnoresMouseEvents(true);
    setLevel(1000);
    setCollectionBehavior(appkit::CollectionBehavior::canJoinAllSpaces |
                          appkit::CollectionBehavior::fullScreenAuxiliary |
                          appkit::CollectionBehavior::stationary |
                          appkit::CollectionBehavior::ignoresCycle);
    setRestorable(false);
    setFrame(screen.frame, true);
}
