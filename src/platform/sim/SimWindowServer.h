#pragma once
// The virtual Mac's window server: the program's screen-covering windows, front to back by
// level, and the events the user sends them.

#include "platform/WindowServer.h"

#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace platform {
class RunLoop;
}

namespace sim {

class SimWindowServer : public platform::WindowServer {
  public:
    SimWindowServer(platform::RunLoop& loop, std::function<void()> changed);

    int orderFront(const platform::PlacedWindow& window) override;
    void update(int number, const platform::PlacedWindow& window) override;
    void orderOut(int number) override;
    void setEventHandler(int number, std::function<void(const platform::Event&)> handler) override;
    void makeKey(int number) override;
    std::optional<platform::Rect> ordinaryWindowArea() const override { return ordinaryArea_; }
    // The simulator window says where the host has room beside it.
    void setOrdinaryWindowArea(std::optional<platform::Rect> area) { ordinaryArea_ = area; }
    // The key window, while it is on screen.
    std::optional<int> keyWindow() const;

    struct Entry {
        int number = 0;
        platform::PlacedWindow window;
    };
    // Back to front: lower levels first, then in the order they were ordered front.
    std::vector<Entry> windows() const;
    std::vector<Entry> windowsOfKind(const std::string& kind) const;
    // The frontmost window under a point that takes mouse events (any window for keys).
    std::optional<int> windowAt(platform::Point point, bool forMouse) const;
    // Delivers an event as the user would: on the main queue, to that window's handler.
    bool sendEvent(int number, const platform::Event& event);

  private:
    std::optional<platform::Rect> ordinaryArea_;
    platform::RunLoop& loop_;
    std::function<void()> changed_;
    std::map<int, platform::PlacedWindow> windows_;
    std::map<int, std::function<void(const platform::Event&)>> handlers_;
    int next_ = 1;
    std::optional<int> key_;
};

} // namespace sim
