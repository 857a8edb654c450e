#pragma once
// AppKit screens and the screen-parameters notification.

#include "platform/Geometry.h"
#include "platform/Value.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace platform {

struct Screen {
    // Holds "NSScreenNumber" for screens that belong to a display.
    Value deviceDescription;
    std::string localizedName;
    Rect frame;
    Rect visibleFrame;
    bool operator==(const Screen&) const = default;
};

class Screens {
  public:
    virtual ~Screens() = default;
    virtual std::vector<Screen> screens() = 0;
    // The did-change-screen-parameters notification; the handler runs on the main queue.
    virtual int addScreenParametersObserver(std::function<void()> handler) = 0;
    virtual void removeScreenParametersObserver(int token) = 0;
    // The workspace's did-wake notification (the machine woke from sleep); the handler runs on
    // the main queue. A backend that cannot tell answers none.
    virtual std::optional<int> addWakeObserver(std::function<void()>) { return std::nullopt; }
    virtual void removeWakeObserver(int) {}
};

} // namespace platform
