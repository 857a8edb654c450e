#include "platform/sim/SimStatusItem.h"

namespace sim {

SimStatusItem::SimStatusItem(bool hasButton, std::function<void(const platform::Event*)> setEvent)
    : hasButton_(hasButton), setEvent_(std::move(setEvent)) {}

void SimStatusItem::setImage(const std::optional<std::string>& symbolName,
                             const std::string& accessibilityDescription) {
    if (!hasButton_) return;
    image_ = symbolName;
    accessibility_ = accessibilityDescription;
    if (changed_) changed_();
}

void SimStatusItem::setTitle(const std::string& title) {
    if (!hasButton_) return;
    title_ = title;
    if (changed_) changed_();
}

void SimStatusItem::setToolTip(const std::string& toolTip) {
    if (!hasButton_) return;
    toolTip_ = toolTip;
}

void SimStatusItem::setAction(std::function<void()> action, platform::SendActionOn on) {
    if (!hasButton_) return;
    action_ = std::move(action);
    on_ = on;
}

void SimStatusItem::recordMenu(const platform::Menu& menu, std::optional<platform::Point> at) {
    lastMenu_ = menu;
    lastPoint_ = at;
    ++popUps_;
    menuOpen_ = true;
    if (presenter_) presenter_(menu);
    if (changed_) changed_();
}

void SimStatusItem::popUpMenu(const platform::Menu& menu, platform::Point inButton) {
    recordMenu(menu, inButton);
}

void SimStatusItem::popUpMenuAtMouse(const platform::Menu& menu) {
    recordMenu(menu, std::nullopt);
}

bool SimStatusItem::click(platform::EventType mouseUp, platform::ModifierFlags modifiers) {
    if (!hasButton_ || !action_) return false;
    bool sends = (mouseUp == platform::EventType::leftMouseUp && on_.leftMouseUp) ||
                 (mouseUp == platform::EventType::rightMouseUp && on_.rightMouseUp);
    if (!sends) return false;
    platform::Event event;
    event.type = mouseUp;
    event.modifiers = modifiers;
    setEvent_(&event);
    action_();
    setEvent_(nullptr);
    return true;
}

void SimStatusItem::setMenuPresenter(std::function<void(const platform::Menu&)> presenter) {
    presenter_ = std::move(presenter);
}

} // namespace sim
