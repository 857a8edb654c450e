#include "appkit/Panel.h"

#include "platform/Platform.h"

namespace appkit {

Panel::Panel(platform::Rect contentRect, unsigned styleMask, BackingStore backing, bool defer,
             std::string kind)
    : styleMask_(styleMask), backing_(backing), deferred_(defer) {
    placed_.kind = std::move(kind);
    placed_.frame = contentRect;
    placed_.background = Color{0.93, 0.93, 0.93, 1};
}

Panel::~Panel() {
    orderOut();
}

void Panel::push() {
    if (!number_) return;
    if (auto* server = platform::current().windowServer) server->update(*number_, placed_);
}

void Panel::setFrame(platform::Rect frame, bool) {
    placed_.frame = frame;
    push();
}

void Panel::setCollectionBehavior(unsigned behavior) {
    placed_.collectionBehavior = behavior;
    push();
}

void Panel::setBackgroundColor(Color color) {
    placed_.background = color;
    push();
}

void Panel::setOpaque(bool opaque) {
    placed_.opaque = opaque;
    push();
}

void Panel::setAlphaValue(double alpha) {
    placed_.alphaValue = alpha;
    push();
}

void Panel::setIgnoresMouseEvents(bool ignores) {
    placed_.ignoresMouseEvents = ignores;
    push();
}

void Panel::setLevel(int level) {
    placed_.level = level;
    push();
}

void Panel::setHasShadow(bool shadow) {
    placed_.hasShadow = shadow;
    push();
}

void Panel::setAcceptsMouseMovedEvents(bool accepts) {
    placed_.acceptsMouseMovedEvents = accepts;
    push();
}

void Panel::setText(const std::string& text) {
    placed_.text = text;
    push();
}

void Panel::orderFrontRegardless() {
    auto* server = platform::current().windowServer;
    if (!server) return;
    if (number_) {
        server->update(*number_, placed_);
        return;
    }
    number_ = server->orderFront(placed_);
    server->setEventHandler(*number_, [this](const platform::Event& e) { dispatch(e); });
}

void Panel::makeKeyAndOrderFront() {
    orderFrontRegardless();
    if (!number_ || !canBecomeKey()) return;
    if (auto* server = platform::current().windowServer) server->makeKey(*number_);
}

void Panel::setContentView(QObject* view, bool animated) {
    placed_.content = view;
    placed_.animated = animated;
    push();
}

void Panel::orderOut() {
    if (!number_) return;
    // A panel may outlive the machine at process end; then there is nothing left to tell.
    if (auto* server = platform::hasCurrent() ? platform::current().windowServer : nullptr) {
        server->setEventHandler(*number_, nullptr);
        server->orderOut(*number_);
    }
    number_.reset();
}

void Panel::dispatch(const platform::Event& event) {
    using platform::EventType;
    switch (event.type) {
    case EventType::keyDown:
        keyDown(event);
        break;
    case EventType::leftMouseDown:
        if (!placed_.ignoresMouseEvents) mouseDown(event);
        break;
    case EventType::rightMouseDown:
        if (!placed_.ignoresMouseEvents) rightMouseDown(event);
        break;
    case EventType::otherMouseDown:
        if (!placed_.ignoresMouseEvents) otherMouseDown(event);
        break;
    case EventType::scrollWheel:
        if (!placed_.ignoresMouseEvents) scrollWheel(event);
        break;
    case EventType::mouseMoved:
        if (!placed_.ignoresMouseEvents && placed_.acceptsMouseMovedEvents) mouseMoved(event);
        break;
    default:
        break;
    }
}

} // namespace appkit
