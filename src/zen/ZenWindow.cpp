#include "zen/ZenWindow.h"

#include "zen/ZenView.h"

namespace zen {

ZenWindow::ZenWindow(platform::Rect contentRect, unsigned styleMask, appkit::BackingStore backing,
                     bool defer)
    : appkit::Panel(contentRect, styleMask, backing, defer, "zen") {}

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

} // namespace zen
