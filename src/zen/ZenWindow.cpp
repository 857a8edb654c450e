#include "zen/ZenWindow.h"

#include "platform/Applications.h"
#include "platform/Platform.h"
#include "platform/RunLoop.h"
#include "platform/WindowServer.h"
#include "zen/ZenView.h"

namespace zen {

ZenWindow::ZenWindow(platform::Rect contentRect, unsigned styleMask, appkit::BackingStore backing,
                     bool defer)
    : appkit::Panel(contentRect, styleMask, backing, defer, "zen") {}

int ZenWindow::shieldingWindowLevel() {
    auto* server = platform::hasCurrent() ? platform::current().windowServer : nullptr;
    return server ? server->shieldingLevel() : platform::WindowServer::kShieldingLevel;
}

std::unique_ptr<ZenWindow> ZenWindow::coveringScreen(platform::Rect frame) {
    auto window = std::make_unique<ZenWindow>(
        frame, appkit::StyleMask::borderless | appkit::StyleMask::nonactivatingPanel,
        appkit::BackingStore::buffered, false);
    window->setBackgroundColor(appkit::blackColor);
    window->setOpaque(true);
    window->setHasShadow(false);
    window->setRestorable(false);
    window->setLevel(shieldingWindowLevel());
    window->setCollectionBehavior(appkit::CollectionBehavior::canJoinAllSpaces |
                                  appkit::CollectionBehavior::fullScreenAuxiliary |
                                  appkit::CollectionBehavior::stationary |
                                  appkit::CollectionBehavior::ignoresCycle);
    window->setIgnoresMouseEvents(false);
    return window;
}

ZenWindow::~ZenWindow() {
    orderOut();
}

void ZenWindow::setView(QWidget* view, bool animated) {
    view_.reset(view);
    setContentView(view, animated);
}

ZenView* ZenWindow::zenView() const {
    return dynamic_cast<ZenView*>(view_.get());
}

void ZenWindow::mouseDown(const platform::Event& event) {
    if (auto* v = dynamic_cast<HudView*>(view_.get())) {
        std::optional<QPointF> at;
        if (event.location) at = QPointF(event.location->x, event.location->y);
        v->mouseDownAt(at);
    }
}

void ZenWindow::mouseMoved(const platform::Event& event) {
    if (auto* v = dynamic_cast<HudView*>(view_.get())) {
        if (event.location) v->setPointer(QPointF(event.location->x, event.location->y));
        v->mouseMoved();
    }
}

void activateAndRaise(std::map<uint32_t, std::unique_ptr<ZenWindow>>& windows) {
    auto& apps = *platform::current().applications;
    apps.activateRunningApplication();
    apps.activateIgnoringOtherApps();
    apps.executeAppleScript("tell application id \"local.night-lid\" to activate");
    for (auto& [id, w] : windows) {
        w->makeKeyAndOrderFront();
        w->orderFrontRegardless();
    }
}

void orderOutAll(std::map<uint32_t, std::unique_ptr<ZenWindow>>& windows) {
    for (auto& [id, w] : windows)
        w->orderOut();
    auto closed =
        std::make_shared<std::map<uint32_t, std::unique_ptr<ZenWindow>>>(std::move(windows));
    windows.clear();
    platform::mainQueue().async([closed] {});
}

} // namespace zen
