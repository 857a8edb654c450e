#pragma once
// The system status bar and its items.

#include "platform/Geometry.h"
#include "platform/Menu.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace platform {

constexpr double kVariableStatusItemLength = -1;

// Which mouse-up events send the button's action.
struct SendActionOn {
    bool leftMouseUp = true;
    bool rightMouseUp = false;
};

class StatusItem {
  public:
    virtual ~StatusItem() = default;
    virtual bool hasButton() const = 0;
    // A system symbol by name, drawn by the status bar; absent clears the image.
    virtual void setImage(const std::optional<std::string>& symbolName,
                          const std::string& accessibilityDescription) = 0;
    virtual void setTitle(const std::string& title) = 0;
    virtual void setToolTip(const std::string& toolTip) = 0;
    virtual void setAction(std::function<void()> action, SendActionOn on) = 0;
    virtual Rect buttonBounds() const = 0;
    // Pops the menu up with no item selected, at a point in the button's coordinates.
    virtual void popUpMenu(const Menu& menu, Point inButton) = 0;
    // Without a button: at the mouse location on screen.
    virtual void popUpMenuAtMouse(const Menu& menu) = 0;
};

class StatusBar {
  public:
    virtual ~StatusBar() = default;
    virtual std::shared_ptr<StatusItem> createStatusItem(double length) = 0;
};

} // namespace platform
