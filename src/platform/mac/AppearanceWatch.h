#pragma once
// The application's light or dark look as AppKit reports it, and the observers told of a change.
// AppKit reports every change of the effective appearance (a new accent colour, more contrast,
// the first report when observation starts); the program hears only when light and dark swap.

#include <functional>
#include <map>
#include <memory>

namespace mac {

class AppearanceWatch {
  public:
    // post queues a task on the main queue; observers are called from there.
    AppearanceWatch(bool dark, std::function<void(std::function<void()>)> post);
    AppearanceWatch(const AppearanceWatch&) = delete;
    AppearanceWatch& operator=(const AppearanceWatch&) = delete;

    bool isDark() const { return state_->dark; }
    // What AppKit reports now.
    void reported(bool dark);
    int add(std::function<void()> handler);
    // An observer removed, or a watch destroyed, before a queued call runs is not called.
    void remove(int token);

  private:
    struct State {
        bool dark = false;
        int next = 1;
        std::map<int, std::function<void()>> observers;
    };
    std::shared_ptr<State> state_;
    std::function<void(std::function<void()>)> post_;
};

} // namespace mac
