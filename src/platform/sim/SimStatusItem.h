#pragma once
// The status item in the virtual menu bar. Clicks are injected; popped-up menus are recorded.

#include "platform/Events.h"
#include "platform/StatusBar.h"

#include <functional>
#include <optional>

namespace sim {

class SimStatusItem : public platform::StatusItem {
  public:
    explicit SimStatusItem(bool hasButton, std::function<void(const platform::Event*)> setEvent);

    bool hasButton() const override { return hasButton_; }
    void setImage(const std::optional<std::string>& symbolName,
                  const std::string& accessibilityDescription) override;
    void setTitle(const std::string& title) override;
    void setToolTip(const std::string& toolTip) override;
    void setAction(std::function<void()> action, platform::SendActionOn on) override;
    platform::Rect buttonBounds() const override { return {0, 0, 28, 24}; }
    void popUpMenu(const platform::Menu& menu, platform::Point inButton) override;
    void popUpMenuAtMouse(const platform::Menu& menu) override;

    // A click as the user makes it: the mouse-up event is current while the action runs.
    // Returns false when the button does not send its action for that event.
    bool click(platform::EventType mouseUp, platform::ModifierFlags modifiers = {});

    const std::optional<std::string>& imageSymbol() const { return image_; }
    const std::string& accessibilityDescription() const { return accessibility_; }
    const std::string& title() const { return title_; }
    const std::string& toolTip() const { return toolTip_; }
    bool hasAction() const { return bool(action_); }
    platform::SendActionOn sendActionOn() const { return on_; }
    // The last menu popped up, and where (absent point: at the mouse).
    const std::optional<platform::Menu>& lastMenu() const { return lastMenu_; }
    std::optional<platform::Point> lastMenuPoint() const { return lastPoint_; }
    int menuPopUps() const { return popUps_; }
    // A popped-up menu stays open until an item is chosen or it is dismissed.
    bool menuIsOpen() const { return menuOpen_; }
    void closeMenu() { menuOpen_ = false; }
    // Shows popped-up menus for real (the simulator window); otherwise they are only recorded.
    void setMenuPresenter(std::function<void(const platform::Menu&)> presenter);
    void setChangeListener(std::function<void()> listener) { changed_ = std::move(listener); }

  private:
    void recordMenu(const platform::Menu& menu, std::optional<platform::Point> at);

    bool hasButton_;
    std::function<void(const platform::Event*)> setEvent_;
    std::optional<std::string> image_;
    std::string accessibility_, title_, toolTip_;
    std::function<void()> action_;
    platform::SendActionOn on_;
    std::optional<platform::Menu> lastMenu_;
    std::optional<platform::Point> lastPoint_;
    int popUps_ = 0;
    bool menuOpen_ = false;
    std::function<void(const platform::Menu&)> presenter_;
    std::function<void()> changed_;
};

} // namespace sim
