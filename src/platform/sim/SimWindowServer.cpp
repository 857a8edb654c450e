#include "platform/sim/SimWindowServer.h"

#include "platform/RunLoop.h"

#include <algorithm>

namespace sim {

SimWindowServer::SimWindowServer(platform::RunLoop& loop, std::function<void()> changed)
    : loop_(loop), changed_(std::move(changed)) {}

int SimWindowServer::orderFront(const platform::PlacedWindow& window) {
    int n = next_++;
    windows_[n] = window;
    if (changed_) changed_();
    return n;
}

void SimWindowServer::update(int number, const platform::PlacedWindow& window) {
    auto it = windows_.find(number);
    if (it == windows_.end() || it->second == window) return;
    it->second = window;
    if (changed_) changed_();
}

void SimWindowServer::makeKey(int number) {
    if (windows_.count(number)) key_ = number;
}

std::optional<int> SimWindowServer::keyWindow() const {
    if (key_ && windows_.count(*key_)) return key_;
    return std::nullopt;
}

void SimWindowServer::orderOut(int number) {
    handlers_.erase(number);
    if (key_ == number) key_.reset();
    if (windows_.erase(number) && changed_) changed_();
}

void SimWindowServer::setEventHandler(int number,
                                      std::function<void(const platform::Event&)> handler) {
    if (handler && windows_.count(number))
        handlers_[number] = std::move(handler);
    else
        handlers_.erase(number);
}

std::vector<SimWindowServer::Entry> SimWindowServer::windows() const {
    std::vector<Entry> out;
    for (const auto& [n, w] : windows_)
        out.push_back({n, w});
    std::stable_sort(out.begin(), out.end(), [](const Entry& a, const Entry& b) {
        return a.window.level < b.window.level;
    });
    return out;
}

std::vector<SimWindowServer::Entry> SimWindowServer::windowsOfKind(const std::string& kind) const {
    std::vector<Entry> out;
    for (const auto& e : windows())
        if (e.window.kind == kind) out.push_back(e);
    return out;
}

std::optional<int> SimWindowServer::windowAt(platform::Point p, bool forMouse) const {
    auto all = windows();
    for (auto it = all.rbegin(); it != all.rend(); ++it) {
        const auto& f = it->window.frame;
        if (p.x < f.x || p.y < f.y || p.x >= f.x + f.width || p.y >= f.y + f.height) continue;
        if (forMouse && it->window.ignoresMouseEvents) continue;
        return it->number;
    }
    return std::nullopt;
}

bool SimWindowServer::sendEvent(int number, const platform::Event& event) {
    if (!windows_.count(number)) return false;
    loop_.async([this, number, event] {
        auto it = handlers_.find(number);
        if (it == handlers_.end()) return;
        auto handler = it->second; // the handler may order its window out
        handler(event);
    });
    return true;
}

} // namespace sim
