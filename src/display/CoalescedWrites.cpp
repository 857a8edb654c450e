// Brightness and volume writes folded together on the DDC queue: the latest value wins, every
// value is logged, and one monitor never gets Set VCP frames closer than it can take them.
// Brightness travels on the monitor's own scale, and a write someone waits on is read back.

#include "display/Arm64DDC.h"
#include "display/DisplayEngine.h"
#include "platform/Clock.h"
#include "platform/Platform.h"
#include "platform/RunLoop.h"
#include "platform/SystemLog.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr uint8_t kLuminance = 0x10;
constexpr int kWriteCycles = 2;
constexpr uint32_t kWriteSettleMicros = 10'000; // the transport's sleep before each frame
constexpr uint32_t kWaitStepMicros = 5'000;     // a frame not yet due waits this long at a time
constexpr uint16_t kPercentScale = 100;
constexpr float kSoftwareRange = 0.1f;

// Halves round away from zero, which is what lround does.
uint16_t scaled(float fraction, uint16_t maximum) {
    return uint16_t(std::lround(double(fraction) * double(maximum)));
}

} // namespace

void DisplayEngine::queueWrite(const ControlledDisplay& display, uint8_t code, float fraction,
                               bool onMonitorScale, LandingHandler onLanded) {
    const WriteKey key{display.id, code};
    bool startTask = false;
    {
        std::lock_guard lock(writesMutex_);
        auto& w = writes_[key];
        w.service = display.ddcService;
        w.name = display.name;
        w.scaled = onMonitorScale;
        if (w.framesLeft == 0 || w.fraction != fraction) w.framesLeft = kWriteCycles;
        w.fraction = fraction;
        w.unlogged.push_back(fraction);
        if (onLanded) w.landings.push_back(std::move(onLanded));
        asked_[key] = {platform::current().clock->nowMicroseconds(),
                       onScale(w, fraction, display.id)};
        startTask = !w.queued;
        w.queued = true;
    }
    if (startTask) requeueFrame(key);
}

uint16_t DisplayEngine::onScale(const PendingWrite& w, float fraction, DisplayID id) const {
    if (!w.scaled) return scaled(fraction, kPercentScale);
    std::lock_guard lock(monitorsMutex_);
    auto it = maxima_.find(id);
    return scaled(fraction, it == maxima_.end() ? kPercentScale : it->second);
}

uint16_t DisplayEngine::luminanceMaximum(DisplayID id, const platform::AVServiceRef& service) {
    {
        std::lock_guard lock(monitorsMutex_);
        if (auto it = maxima_.find(id); it != maxima_.end()) return it->second;
    }
    Arm64DDC::DDCSettings settings;
    settings.numOfRetryAttemps = isUnanswered(id) ? 0 : 2;
    if (auto reply = Arm64DDC::read(service, kLuminance, settings); reply && reply->max > 0) {
        {
            std::lock_guard lock(monitorsMutex_);
            maxima_[id] = reply->max;
            readable_.insert(id);
        }
        answered(id);
        return reply->max;
    }
    // Not known: the scale most monitors use. The read-back of a write someone waits on tells
    // the real one.
    return kPercentScale;
}

bool DisplayEngine::isUnanswered(DisplayID id) const {
    std::lock_guard lock(pacingMutex_);
    return unanswered_.count(id) > 0;
}

bool DisplayEngine::readsBack(DisplayID id, const platform::AVServiceRef& service, uint8_t code,
                              float fraction, const std::string& name) {
    Arm64DDC::DDCSettings settings;
    settings.numOfRetryAttemps = 2;
    auto reply = Arm64DDC::read(service, code, settings);
    if (!reply || reply->max == 0) {
        // A monitor never known to answer a read (in this run or the one that darkened it) has
        // only its acknowledgement to go by.
        std::lock_guard lock(monitorsMutex_);
        return !readable_.count(id);
    }
    {
        std::lock_guard lock(monitorsMutex_);
        readable_.insert(id);
        if (code == kLuminance) maxima_[id] = reply->max;
    }
    if (code == kLuminance) knowValue(id, float(reply->current) / float(reply->max));
    answered(id);
    const uint16_t wanted = scaled(fraction, code == kLuminance ? reply->max : kPercentScale);
    if (std::abs(int(reply->current) - int(wanted)) <= 1) return true;
    platform::logf("DisplayEngine DDC read back display=%s value=%d wanted=%d", name.c_str(),
                   int(reply->current), int(wanted));
    return false;
}

void DisplayEngine::sendNextFrame(WriteKey key) {
    // Paced first, so the frame carries whatever value is the latest once it may go.
    auto& clock = *platform::current().clock;
    const bool doubtful = isUnanswered(key.first);
    std::optional<uint64_t> lastFrame;
    {
        std::lock_guard lock(pacingMutex_);
        if (auto last = lastFrameAt_.find(key.first); last != lastFrameAt_.end())
            lastFrame = last->second;
    }
    if (lastFrame) {
        const uint64_t due =
            *lastFrame + (doubtful ? kUnansweredSpacingMicros : kFrameSpacingMicros);
        const uint64_t sentAt = clock.nowMicroseconds() + kWriteSettleMicros;
        if (due > sentAt) {
            // Other work for the monitor (a read, its other control) goes first: wait a little
            // only, then queue up again.
            if (ddcQueue(key.first).pendingCount() > 0 && due - sentAt > kWaitStepMicros) {
                clock.sleepMicroseconds(kWaitStepMicros);
                requeueFrame(key);
                return;
            }
            clock.sleepMicroseconds(uint32_t(due - sentAt));
        }
    }
    PendingWrite frame;
    {
        std::lock_guard lock(writesMutex_);
        auto it = writes_.find(key);
        if (it == writes_.end()) return;
        frame.service = it->second.service;
        frame.scaled = it->second.scaled;
    }
    // The scale is learnt before the value is taken: the read takes time, and a newer value may
    // come meanwhile.
    const uint16_t maximum =
        frame.scaled ? luminanceMaximum(key.first, frame.service) : kPercentScale;
    {
        std::lock_guard lock(writesMutex_);
        auto it = writes_.find(key);
        if (it == writes_.end()) return;
        frame.service = it->second.service;
        frame.name = it->second.name;
        frame.fraction = it->second.fraction;
        frame.unlogged.swap(it->second.unlogged);
        frame.lastChance = it->second.lastChance;
    }
    Arm64DDC::DDCSettings oneFrame;
    oneFrame.numOfWriteCycles = 1;
    // A monitor that did not answer its last frame gets one try per frame while values keep
    // coming, so its retries never hold up the other monitors of a drag.
    const bool quick = doubtful && !frame.lastChance;
    if (quick) oneFrame.numOfRetryAttemps = 0;
    const bool ok =
        Arm64DDC::write(frame.service, key.second, scaled(frame.fraction, maximum), oneFrame);
    {
        std::lock_guard lock(pacingMutex_);
        lastFrameAt_[key.first] = clock.nowMicroseconds();
        if (ok)
            unanswered_.erase(key.first);
        else
            unanswered_.insert(key.first);
    }
    if (ok) answered(key.first);
    // A monitor that answers reads may acknowledge a value without taking it: only its read-back
    // says what it holds. One that never answers a read has its acknowledgement to go by.
    bool confirmByReading = false;
    if (key.second == kLuminance) {
        std::unique_lock lock(monitorsMutex_);
        confirmByReading = ok && readable_.count(key.first) > 0;
        if (ok && !confirmByReading) {
            lock.unlock();
            knowValue(key.first, frame.fraction);
        } else {
            // It may or may not have taken the value: the next darkening reads it first.
            known_.erase(key.first);
        }
    }
    for (auto fraction : frame.unlogged)
        platform::logf(key.second == kLuminance
                           ? "DisplayEngine DDC write display=%s value=%d success=%d"
                           : "DisplayEngine DDC volume write display=%s value=%d success=%d",
                       frame.name.c_str(), int(scaled(fraction, maximum)), ok ? 1 : 0);

    bool again = false;
    std::vector<LandingHandler> landings;
    {
        std::lock_guard lock(writesMutex_);
        auto it = writes_.find(key);
        if (it == writes_.end()) return;
        auto& w = it->second;
        // A newer value came in meanwhile: it starts its own cycles. A monitor that did not
        // take the frame after every retry gets no second one; after a single quick try, the
        // last value still gets its full retries.
        if (w.fraction == frame.fraction) {
            if (ok)
                --w.framesLeft;
            else if (quick)
                w.lastChance = true;
            else
                w.framesLeft = 0;
        } else {
            w.lastChance = false;
        }
        again = w.framesLeft > 0;
        if (!again) {
            landings.swap(w.landings);
            writes_.erase(it);
        }
    }
    // At the back of the queue, so other monitors' frames go in between.
    if (again) {
        requeueFrame(key);
        return;
    }
    if (landings.empty()) {
        if (confirmByReading)
            readsBack(key.first, frame.service, key.second, frame.fraction, frame.name);
        return;
    }
    const bool landed =
        ok && readsBack(key.first, frame.service, key.second, frame.fraction, frame.name);
    tellLanding(std::move(landings), landed);
}

void DisplayEngine::answered(DisplayID id) {
    {
        std::lock_guard lock(monitorsMutex_);
        if (!answered_.insert(id).second) return;
    }
    std::weak_ptr<DisplayEngine> weak = weak_from_this();
    platform::mainQueue().async([weak, id] {
        auto self = weak.lock();
        if (self && self->onFirstAnswer) self->onFirstAnswer(id);
    });
}

bool DisplayEngine::hasAnswered(DisplayID id) const {
    std::lock_guard lock(monitorsMutex_);
    return answered_.count(id) > 0;
}

void DisplayEngine::knowValue(DisplayID id, float ddcFraction) {
    ddcFraction = std::clamp(ddcFraction, 0.0f, 1.0f);
    float value = kSoftwareRange + ddcFraction * (1.0f - kSoftwareRange);
    if (ddcFraction <= 0.0f) {
        // At its lowest the overlay says how far below the tenth it is.
        std::lock_guard lock(softwareDimmingMutex_);
        if (auto it = softwareDimming_.find(id); it != softwareDimming_.end()) value = it->second;
    }
    std::lock_guard lock(monitorsMutex_);
    known_[id] = value;
}

std::optional<float> DisplayEngine::knownBrightness(DisplayID id) const {
    std::lock_guard lock(monitorsMutex_);
    auto it = known_.find(id);
    if (it == known_.end()) return std::nullopt;
    return it->second;
}

DisplayEngine::LinkKnowledge DisplayEngine::linkKnowledge(DisplayID id) const {
    std::lock_guard lock(monitorsMutex_);
    LinkKnowledge out;
    if (auto it = maxima_.find(id); it != maxima_.end()) out.maximum = it->second;
    out.readable = readable_.count(id) > 0;
    return out;
}

void DisplayEngine::rememberLink(DisplayID id, LinkKnowledge known) {
    std::lock_guard lock(monitorsMutex_);
    if (known.maximum > 0 && !maxima_.count(id)) maxima_[id] = known.maximum;
    if (known.readable) readable_.insert(id);
}

void DisplayEngine::setLinkUntouched(DisplayID id, bool untouched) {
    std::lock_guard lock(monitorsMutex_);
    if (untouched)
        untouched_.insert(id);
    else
        untouched_.erase(id);
}

bool DisplayEngine::isLinkUntouched(DisplayID id) const {
    std::lock_guard lock(monitorsMutex_);
    return untouched_.count(id) > 0;
}

void DisplayEngine::tellLanding(std::vector<LandingHandler> handlers, bool landed) {
    if (handlers.empty()) return;
    {
        std::lock_guard lock(landingsMutex_);
        landed_.emplace_back(std::move(handlers), landed);
    }
    std::weak_ptr<DisplayEngine> weak = weak_from_this();
    platform::mainQueue().async([weak] {
        if (auto self = weak.lock()) self->deliverLandings();
    });
}

void DisplayEngine::deliverLandings() {
    for (;;) {
        std::pair<std::vector<LandingHandler>, bool> next;
        {
            std::lock_guard lock(landingsMutex_);
            if (landed_.empty()) return;
            next = std::move(landed_.front());
            landed_.pop_front();
        }
        for (auto& handler : next.first)
            handler(next.second);
    }
}

std::optional<DisplayEngine::AskedValue> DisplayEngine::lastAsked(DisplayID id,
                                                                  uint8_t code) const {
    std::lock_guard lock(writesMutex_);
    auto it = asked_.find({id, code});
    if (it == asked_.end()) return std::nullopt;
    return it->second;
}

void DisplayEngine::requeueFrame(WriteKey key) {
    std::weak_ptr<DisplayEngine> weak = weak_from_this();
    ddcQueue(key.first).async([weak, key] {
        if (auto self = weak.lock()) self->sendNextFrame(key);
    });
}
