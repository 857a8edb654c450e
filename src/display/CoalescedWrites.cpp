// Brightness and volume writes folded together on the DDC queue: the latest value wins, every
// value is logged, and one monitor never gets Set VCP frames closer than it can take them.

#include "display/Arm64DDC.h"
#include "display/DisplayEngine.h"
#include "platform/Clock.h"
#include "platform/Platform.h"
#include "platform/SystemLog.h"

namespace {

constexpr uint8_t kLuminance = 0x10;
constexpr int kWriteCycles = 2;
constexpr uint32_t kWriteSettleMicros = 10'000; // the transport's sleep before each frame
constexpr uint32_t kWaitStepMicros = 5'000;     // a frame not yet due waits this long at a time

} // namespace

void DisplayEngine::queueWrite(const ControlledDisplay& display, uint8_t code, uint16_t value) {
    const WriteKey key{display.id, code};
    bool startTask = false;
    {
        std::lock_guard lock(writesMutex_);
        asked_[key] = {platform::current().clock->nowMicroseconds(), value};
        auto& w = writes_[key];
        w.service = display.ddcService;
        w.name = display.name;
        if (w.framesLeft == 0 || w.value != value) w.framesLeft = kWriteCycles;
        w.value = value;
        w.unlogged.push_back(value);
        startTask = !w.queued;
        w.queued = true;
    }
    if (startTask) requeueFrame(key);
}

void DisplayEngine::sendNextFrame(WriteKey key) {
    // Paced first, so the frame carries whatever value is the latest once it may go.
    auto& clock = *platform::current().clock;
    const bool doubtful = unanswered_.count(key.first) > 0;
    if (auto last = lastFrameAt_.find(key.first); last != lastFrameAt_.end()) {
        const uint64_t due =
            last->second + (doubtful ? kUnansweredSpacingMicros : kFrameSpacingMicros);
        const uint64_t sentAt = clock.nowMicroseconds() + kWriteSettleMicros;
        if (due > sentAt) {
            // Other monitors' work goes first: wait a little only, then queue up again.
            if (ddcQueue.pendingCount() > 0 && due - sentAt > kWaitStepMicros) {
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
        frame.name = it->second.name;
        frame.value = it->second.value;
        frame.unlogged.swap(it->second.unlogged);
        frame.lastChance = it->second.lastChance;
    }
    Arm64DDC::DDCSettings oneFrame;
    oneFrame.numOfWriteCycles = 1;
    // A monitor that did not answer its last frame gets one try per frame while values keep
    // coming, so its retries never hold up the other monitors of a drag.
    const bool quick = doubtful && !frame.lastChance;
    if (quick) oneFrame.numOfRetryAttemps = 0;
    const bool ok = Arm64DDC::write(frame.service, key.second, frame.value, oneFrame);
    lastFrameAt_[key.first] = clock.nowMicroseconds();
    if (ok)
        unanswered_.erase(key.first);
    else
        unanswered_.insert(key.first);
    for (auto value : frame.unlogged)
        platform::logf(key.second == kLuminance
                           ? "DisplayEngine DDC write display=%s value=%d success=%d"
                           : "DisplayEngine DDC volume write display=%s value=%d success=%d",
                       frame.name.c_str(), int(value), ok ? 1 : 0);

    bool again = false;
    {
        std::lock_guard lock(writesMutex_);
        auto it = writes_.find(key);
        if (it == writes_.end()) return;
        auto& w = it->second;
        // A newer value came in meanwhile: it starts its own cycles. A monitor that did not
        // take the frame after every retry gets no second one; after a single quick try, the
        // last value still gets its full retries.
        if (w.value == frame.value) {
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
        if (!again) writes_.erase(it);
    }
    // At the back of the queue, so other monitors' frames go in between.
    if (again) requeueFrame(key);
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
    ddcQueue.async([weak, key] {
        if (auto self = weak.lock()) self->sendNextFrame(key);
    });
}
