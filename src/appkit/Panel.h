#pragma once
// A panel in the manner of NSPanel for windows laid over a whole screen: it has no widgets of
// its own and is drawn by the window server on the screen its frame covers.

#include "platform/Events.h"
#include "platform/Geometry.h"
#include "platform/WindowServer.h"

#include <functional>
#include <optional>
#include <string>

namespace appkit {

namespace StyleMask {
constexpr unsigned borderless = 0;
constexpr unsigned titled = 1u << 0;
constexpr unsigned nonactivatingPanel = 1u << 7;
} // namespace StyleMask

namespace CollectionBehavior {
constexpr unsigned canJoinAllSpaces = 1u << 0;
constexpr unsigned stationary = 1u << 4;
constexpr unsigned ignoresCycle = 1u << 6;
constexpr unsigned fullScreenAuxiliary = 1u << 8;
} // namespace CollectionBehavior

enum class BackingStore { buffered };

using Color = platform::Color;
inline constexpr Color blackColor{0, 0, 0, 1};

class Panel {
  public:
    Panel(platform::Rect contentRect, unsigned styleMask, BackingStore backing, bool defer,
          std::string kind);
    virtual ~Panel();
    Panel(const Panel&) = delete;
    Panel& operator=(const Panel&) = delete;

    unsigned styleMask() const { return styleMask_; }
    BackingStore backingType() const { return backing_; }
    bool isDeferred() const { return deferred_; }

    void setFrame(platform::Rect frame, bool display);
    platform::Rect frame() const { return placed_.frame; }
    void setBackgroundColor(Color color);
    Color backgroundColor() const { return placed_.background; }
    void setOpaque(bool opaque);
    bool isOpaque() const { return placed_.opaque; }
    void setAlphaValue(double alpha);
    double alphaValue() const { return placed_.alphaValue; }
    void setIgnoresMouseEvents(bool ignores);
    bool ignoresMouseEvents() const { return placed_.ignoresMouseEvents; }
    void setLevel(int level);
    int level() const { return placed_.level; }
    void setCollectionBehavior(unsigned behavior);
    unsigned collectionBehavior() const { return placed_.collectionBehavior; }
    void setRestorable(bool restorable) { restorable_ = restorable; }
    bool isRestorable() const { return restorable_; }
    void setHasShadow(bool shadow);
    bool hasShadow() const { return placed_.hasShadow; }
    void setAcceptsMouseMovedEvents(bool accepts);
    bool acceptsMouseMovedEvents() const { return placed_.acceptsMouseMovedEvents; }
    // The view drawn over the whole panel, and whether it moves by itself.
    void setContentView(QObject* view, bool animated = false);
    QObject* contentView() const { return placed_.content.data(); }
    void setText(const std::string& text);
    const std::string& text() const { return placed_.text; }

    // Shown even while the application is not active.
    void orderFrontRegardless();
    // Also takes key focus when the window can become key.
    void makeKeyAndOrderFront();
    virtual bool canBecomeKey() const { return false; }
    virtual bool canBecomeMain() const { return false; }
    void orderOut();
    bool isVisible() const { return number_.has_value(); }

  protected:
    // Key, click and scroll events the user sends to the panel.
    virtual void keyDown(const platform::Event&) {}
    virtual void mouseDown(const platform::Event&) {}
    virtual void rightMouseDown(const platform::Event&) {}
    virtual void otherMouseDown(const platform::Event&) {}
    virtual void scrollWheel(const platform::Event&) {}
    virtual void mouseMoved(const platform::Event&) {}

  private:
    void push();
    void dispatch(const platform::Event& event);

    platform::PlacedWindow placed_;
    unsigned styleMask_;
    BackingStore backing_;
    bool deferred_;
    bool restorable_ = true;
    std::optional<int> number_;
};

} // namespace appkit
