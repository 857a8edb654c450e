#include "platform/sim/SimInput.h"

#include "platform/RunLoop.h"
#include "platform/sim/SimWindowServer.h"

#include <vector>

namespace sim {

using platform::Event;
using platform::EventType;

SimInput::SimInput(platform::RunLoop& loop, SimWindowServer& windows, std::function<void()> changed)
    : loop_(loop), windows_(windows), changed_(std::move(changed)) {}

int SimInput::addLocalMonitorForEvents(platform::EventMask mask, LocalHandler handler) {
    monitors_[next_] = Monitor{true, mask, std::move(handler), nullptr};
    return next_++;
}

int SimInput::addGlobalMonitorForEvents(platform::EventMask mask, GlobalHandler handler) {
    monitors_[next_] = Monitor{false, mask, nullptr, std::move(handler)};
    return next_++;
}

void SimInput::removeMonitor(int token) {
    monitors_.erase(token);
}

int SimInput::localMonitorCount() const {
    int n = 0;
    for (const auto& [t, m] : monitors_)
        n += m.local ? 1 : 0;
    return n;
}

int SimInput::globalMonitorCount() const {
    return int(monitors_.size()) - localMonitorCount();
}

void SimInput::hide() {
    ++hideCount_;
    if (changed_) changed_();
}

void SimInput::unhide() {
    --hideCount_;
    if (changed_) changed_();
}

void SimInput::pressKeyInApplication(uint16_t keyCode) {
    loop_.async([this, keyCode] {
        std::optional<Event> event = Event{EventType::keyDown, {}, keyCode};
        std::vector<int> tokens;
        for (const auto& [t, m] : monitors_)
            if (m.local && (m.mask & platform::kKeyDownMask)) tokens.push_back(t);
        for (int t : tokens) {
            auto it = monitors_.find(t);
            if (it == monitors_.end()) continue;
            auto handler = it->second.localHandler;
            event = handler(*event);
            if (!event) return;
        }
        if (auto key = windows_.keyWindow()) {
            windows_.sendEvent(*key, *event);
            return;
        }
        ++keysReachingApplication_;
    });
}

void SimInput::pressKeyInOtherApplication(uint16_t keyCode) {
    ++keysReachingOther_;
    loop_.async([this, keyCode] {
        const Event event{EventType::keyDown, {}, keyCode};
        std::vector<GlobalHandler> handlers;
        for (const auto& [t, m] : monitors_)
            if (!m.local && (m.mask & platform::kKeyDownMask)) handlers.push_back(m.globalHandler);
        for (const auto& h : handlers)
            h(event);
    });
}

} // namespace sim
