#include "display/DisplayEngine.h"
#include "platform/Clock.h"

#include "display/Arm64DDC.h"
#include "platform/CoreDisplayInfo.h"
#include "platform/Platform.h"
#include "platform/RunLoop.h"
#include "platform/SystemLocale.h"
#include "platform/SystemLog.h"

#include <map>
#include <thread>

namespace {

std::shared_ptr<DisplayEngine>& sharedEngine() {
    static std::shared_ptr<DisplayEngine> engine;
    return engine;
}

std::optional<DisplayID> screenNumber(const platform::Screen& screen) {
    auto n = screen.deviceDescription.find("NSScreenNumber");
    if (!n) return std::nullopt;
    return n->uint32();
}

} // namespace

DisplayEngine::DisplayEngine() {
    if (platform::hasCurrent() && platform::current().clock)
        gate_ = platform::current().clock->workGate();
}

platform::SerialQueue& DisplayEngine::ddcQueue(DisplayID id) {
    std::lock_guard lock(queuesMutex_);
    auto& queue = ddcQueues_[id];
    if (!queue) {
        queue = std::make_unique<platform::SerialQueue>("Duskpane.DDC." + std::to_string(id));
        queue->setGate(gate_);
    }
    return *queue;
}

std::vector<platform::SerialQueue*> DisplayEngine::allQueues() {
    std::lock_guard lock(queuesMutex_);
    std::vector<platform::SerialQueue*> all;
    for (auto& [id, queue] : ddcQueues_)
        all.push_back(queue.get());
    return all;
}

bool DisplayEngine::ddcIdle() {
    for (auto* queue : allQueues())
        if (!queue->isIdle()) return false;
    return true;
}

void DisplayEngine::drainDDC() {
    // A queue's work may queue more on another monitor's (a restore lighting its twin).
    while (!ddcIdle())
        for (auto* queue : allQueues())
            queue->drain();
}

DisplayEngine& DisplayEngine::shared() {
    auto& engine = sharedEngine();
    if (!engine) engine = std::make_shared<DisplayEngine>();
    return *engine;
}

bool DisplayEngine::hasShared() {
    return bool(sharedEngine());
}

void DisplayEngine::tearDownShared() {
    auto& engine = sharedEngine();
    if (!engine) return;
    // Frames in flight go out first: a frame task holds the engine while it talks to a monitor,
    // and the last holder would otherwise end the engine on its own queue, after the program's
    // platform has gone.
    engine->drainDDC();
    const std::weak_ptr<DisplayEngine> held = engine;
    engine.reset();
    // A read on the global queue may still hold it for the length of one exchange.
    while (!held.expired())
        std::this_thread::yield();
}

void DisplayEngine::refreshDisplays() {
    auto& p = platform::current();
    std::vector<DisplayID> online;
    if (p.displays->getOnlineDisplayList(16, online) != platform::kCGErrorSuccess) {
        displays.clear();
        return;
    }
    if (online.size() > 16) online.resize(16);

    std::weak_ptr<DisplayEngine> weak = weak_from_this();
    p.runLoop->async([weak, online] {
        if (auto self = weak.lock()) self->removeOverlaysNotIn(online);
    });

    struct ScreenEntry {
        std::string name;
        bool builtIn;
    };
    std::map<DisplayID, ScreenEntry> screens;
    for (const auto& s : p.screens->screens())
        if (auto id = screenNumber(s))
            screens.emplace(*id, ScreenEntry{s.localizedName, p.displays->isBuiltin(*id)});

    std::vector<ControlledDisplay> records;
    for (auto id : online) {
        ControlledDisplay d;
        d.id = id;
        if (auto it = screens.find(id); it != screens.end()) {
            d.name = it->second.name;
            d.isBuiltIn = it->second.builtIn;
        } else {
            d.isBuiltIn = p.displays->isBuiltin(id);
            // These two stay Korean whatever the interface language.
            d.name = d.isBuiltIn ? "내장 디스플레이" : "외장 디스플레이";
            auto info = p.coreDisplay ? p.coreDisplay->createInfoDictionary(id) : std::nullopt;
            const platform::Value* names = info ? info->find("DisplayProductName") : nullptr;
            if (names && names->isDict() && !names->dict()->empty()) {
                const platform::Value* chosen = names->find(p.locale->currentLocaleIdentifier());
                if (!chosen) chosen = names->find("en_US");
                if (!chosen) chosen = &names->dict()->front().second;
                if (auto s = chosen->string()) d.name = *s;
            }
        }
        records.push_back(d);
    }

    std::vector<DisplayID> externalIDs;
    for (const auto& d : records)
        if (!d.isBuiltIn) externalIDs.push_back(d.id);
    // The registry walk is the costly part: kept while the displays and the registry stay.
    const uint64_t generation = p.ioRegistry ? p.ioRegistry->generation() : 0;
    if (!matched_ || matched_->externalIDs != externalIDs || matched_->generation != generation) {
        MatchedServices fresh{externalIDs, generation, {}};
        for (const auto& match : Arm64DDC::getServiceMatches(externalIDs))
            if (match.service) fresh.services[match.displayID] = match.service;
        matched_ = std::move(fresh);
    }

    for (auto& d : records)
        if (auto it = matched_->services.find(d.id); it != matched_->services.end() && !d.isBuiltIn)
            d.ddcService = it->second;
    displays = std::move(records);

    for (const auto& d : displays)
        platform::logf("DisplayEngine display=%s id=%u builtIn=%d ddc=%d", d.name.c_str(), d.id,
                       d.isBuiltIn ? 1 : 0, d.ddcService ? 1 : 0);
}

std::optional<ControlledDisplay> DisplayEngine::builtInDisplay() const {
    for (const auto& d : displays)
        if (d.isBuiltIn) return d;
    return std::nullopt;
}

std::vector<ControlledDisplay> DisplayEngine::externalDisplays() const {
    std::vector<ControlledDisplay> out;
    for (const auto& d : displays)
        if (!d.isBuiltIn) out.push_back(d);
    return out;
}

std::optional<platform::Screen> DisplayEngine::screen(DisplayID id) const {
    for (const auto& s : platform::current().screens->screens())
        if (screenNumber(s) == id) return s;
    return std::nullopt;
}
