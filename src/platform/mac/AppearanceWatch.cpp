#include "platform/mac/AppearanceWatch.h"

#include <utility>
#include <vector>

namespace mac {

AppearanceWatch::AppearanceWatch(bool dark, std::function<void(std::function<void()>)> post)
    : state_(std::make_shared<State>()), post_(std::move(post)) {
    state_->dark = dark;
}

void AppearanceWatch::reported(bool dark) {
    if (state_->dark == dark) return;
    state_->dark = dark;
    std::vector<int> tokens;
    for (const auto& entry : state_->observers)
        tokens.push_back(entry.first);
    const std::weak_ptr<State> weak = state_;
    for (int token : tokens)
        post_([weak, token] {
            auto state = weak.lock();
            if (!state) return;
            auto found = state->observers.find(token);
            if (found == state->observers.end()) return;
            // The handler may remove its own observation while it runs.
            auto handler = found->second;
            handler();
        });
}

int AppearanceWatch::add(std::function<void()> handler) {
    const int token = state_->next++;
    state_->observers[token] = std::move(handler);
    return token;
}

void AppearanceWatch::remove(int token) {
    state_->observers.erase(token);
}

} // namespace mac
