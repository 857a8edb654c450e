#include "blackout/BlackoutWindow.h"

#include "app/BlackoutController.h"

BlackoutWindow::BlackoutWindow(platform::Rect contentRect, unsigned styleMask,
                               appkit::BackingStore backing, bool defer)
    : Panel(contentRect, styleMask, backing, defer, "protector") {}

void BlackoutWindow::keyDown(const platform::Event&) {
    BlackoutController::shared().stop();
}

void BlackoutWindow::mouseDown(const platform::Event&) {
    BlackoutController::shared().stop();
}

void BlackoutWindow::rightMouseDown(const platform::Event&) {
    BlackoutController::shared().stop();
}

void BlackoutWindow::otherMouseDown(const platform::Event&) {
    BlackoutController::shared().stop();
}

void BlackoutWindow::scrollWheel(const platform::Event&) {
    BlackoutController::shared().stop();
}
