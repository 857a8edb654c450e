#include "platform/sim/SimInput.h"

#include "platform/RunLoop.h"
#include "platform/sim/SimHotkeys.h"
#include "platform/sim/SimWindowServer.h"

#include <algorithm>
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

void SimInput::deliverToApplication(Event original) {
    loop_.async([this, original] {
        std::optional<Event> event = original;
        const auto mask = platform::eventMaskFor(original.type);
        // The monitor installed last sees the event first: a recording started while the
        // Escape monitor is installed gets the keys before it.
        std::vector<int> tokens;
        for (const auto& [t, m] : monitors_)
            if (m.local && (m.mask & mask)) tokens.insert(tokens.begin(), t);
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
        if (event->type == EventType::keyDown) ++keysReachingApplication_;
    });
}

void SimInput::input() {
    lastInput_ = loop_.now();
    if (changed_) changed_();
}

double SimInput::idleSeconds() const {
    return std::max(0.0, loop_.now() - lastInput_);
}

void SimInput::toGlobalMonitors(const Event& event) {
    loop_.async([this, event] {
        const auto mask = platform::eventMaskFor(event.type);
        std::vector<GlobalHandler> handlers;
        for (const auto& [t, m] : monitors_)
            if (!m.local && (m.mask & mask)) handlers.push_back(m.globalHandler);
        for (const auto& h : handlers)
            h(event);
    });
}

void SimInput::moveMouse() {
    input();
    Event event;
    event.type = EventType::mouseMoved;
    toGlobalMonitors(event);
}

void SimInput::clickInOtherApplication(int64_t sourceProcessID) {
    if (sourceProcessID == 0) input();
    Event event;
    event.type = EventType::leftMouseDown;
    event.sourceProcessID = sourceProcessID;
    toGlobalMonitors(event);
}

void SimInput::pressKeyInApplication(uint16_t keyCode, platform::ModifierFlags modifiers) {
    input();
    if (hotkeys_ && hotkeys_->press(keyCode, platform::carbonModifiers(modifiers))) return;
    deliverToApplication(Event{EventType::keyDown, modifiers, keyCode, std::nullopt});
}

void SimInput::changeFlags(platform::ModifierFlags modifiers) {
    input();
    deliverToApplication(Event{EventType::flagsChanged, modifiers, 0, std::nullopt});
}

void SimInput::pressKeyInOtherApplication(uint16_t keyCode, platform::ModifierFlags modifiers) {
    input();
    if (hotkeys_ && hotkeys_->press(keyCode, platform::carbonModifiers(modifiers))) return;
    ++keysReachingOther_;
    loop_.async([this, keyCode, modifiers] {
        const Event event{EventType::keyDown, modifiers, keyCode, std::nullopt};
        std::vector<GlobalHandler> handlers;
        for (const auto& [t, m] : monitors_)
            if (!m.local && (m.mask & platform::kKeyDownMask)) handlers.push_back(m.globalHandler);
        for (const auto& h : handlers)
            h(event);
    });
}

} // namespace sim
