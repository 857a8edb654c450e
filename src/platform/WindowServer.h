#pragma once
// Windows the program places on a screen of its own (dimming overlays, full-screen black
// windows). The window server draws them on the screen they cover and routes their events.

#include "platform/Events.h"
#include "platform/Geometry.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <optional>
#include <string>

namespace platform {

struct Color {
    double red = 0, green = 0, blue = 0, alpha = 1;
    bool operator==(const Color&) const = default;
};

struct PlacedWindow {
    std::string kind; // what the window is for, e.g. "overlay", "protector"
    Rect frame;
    int level = 0;
    Color background;
    double alphaValue = 1;
    bool opaque = true;
    bool ignoresMouseEvents = false;
    bool acceptsMouseMovedEvents = false;
    bool hasShadow = true;
    // AppKit's collection behaviour bits the window asks for (NSWindowCollectionBehavior).
    unsigned collectionBehavior = 0;
    // Text drawn centred on the window, if any.
    std::string text;
    // A view drawn over the whole window, in window points (a widget the window server
    // renders scaled to the screen), and whether it moves by itself (redrawn while shown).
    QPointer<QObject> content;
    bool animated = false;
    bool operator==(const PlacedWindow&) const = default;
};

class WindowServer {
  public:
    virtual ~WindowServer() = default;
    // Orders a window front, even while the application is not active; returns its number. A
    // placed window stays on screen while the application is inactive or hidden, and shows on
    // every Space: it covers its screen whatever the user switches to.
    virtual int orderFront(const PlacedWindow& window) = 0;
    virtual void update(int number, const PlacedWindow& window) = 0;
    virtual void orderOut(int number) = 0;
    // The window that receives the key events sent to this application.
    virtual void makeKey(int number) = 0;
    // Key, click and scroll events the user sends to the window, delivered on the main queue.
    virtual void setEventHandler(int number, std::function<void(const Event&)> handler) = 0;
    // Where ordinary windows (the control window, panels) go on the host, in host pixels;
    // absent: centred on the host's screen.
    virtual std::optional<Rect> ordinaryWindowArea() const { return std::nullopt; }
    // CGShieldingWindowLevel(): the level that covers everything, screen savers included.
    virtual int shieldingLevel() const { return kShieldingLevel; }
    static constexpr int kShieldingLevel = 2147483628;
};

} // namespace platform
