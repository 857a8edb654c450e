#include "platform/Clock.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace platform {

namespace {
thread_local bool gatedWorker = false;
thread_local const void* workerOwner = nullptr;

uint64_t steadyMicroseconds() {
    return uint64_t(std::chrono::duration_cast<std::chrono::microseconds>(
                        std::chrono::steady_clock::now().time_since_epoch())
                        .count());
}
} // namespace

void RealClock::sleepMicroseconds(uint32_t us) {
    std::this_thread::sleep_for(std::chrono::microseconds(us));
}

uint64_t RealClock::nowMicroseconds() const {
    return steadyMicroseconds();
}

void WorkGate::markWorkerThread(const void* owner) {
    gatedWorker = true;
    workerOwner = owner;
}

bool WorkGate::isWorkerThread() {
    return gatedWorker;
}

const void* WorkGate::currentOwner() {
    return workerOwner;
}

uint64_t VirtualClock::nowMicroseconds() const {
    return realTime_ ? steadyMicroseconds() : now_.load();
}

void VirtualClock::advanceTo(uint64_t us) {
    uint64_t now = now_.load();
    while (us > now && !now_.compare_exchange_weak(now, us)) {
    }
}

void VirtualClock::sleepMicroseconds(uint32_t us) {
    slept_ += us;
    if (realTime_) {
        // The machine going away ends the sleep: quitting must not wait out a slow device.
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, std::chrono::microseconds(us), [this] { return released_; });
        return;
    }
    if (!gated_) {
        now_ += us;
        return;
    }
    std::unique_lock lock(mutex_);
    if (!gated_) return; // ungated meanwhile
    const uint64_t wake = now_ + us;
    if (!isWorkerThread()) {
        // The main thread sleeping: the workers' moments before its own still come first.
        for (;;) {
            waitQuiescentLocked(lock);
            if (sleepers_.empty() || sleepers_.begin()->first.first > wake) break;
            wakeEarliestLocked(lock);
        }
        if (wake > now_) now_ = wake;
        return;
    }
    const void* me = currentOwner();
    sleepers_[{wake, sleeperSeq_++}] = me;
    --active_;
    handBackLocked();
    changed_.wait(lock, [&] { return running_ == me || !gated_; });
}

void VirtualClock::handBackLocked() {
    running_ = nullptr;
    changed_.notify_all();
}

void VirtualClock::runReadyLocked(std::unique_lock<std::mutex>& lock,
                                  const std::function<bool()>& stop) {
    for (;;) {
        changed_.wait(lock, [this] { return running_ == nullptr || !gated_; });
        if (!gated_ || ready_.empty() || (stop && stop())) return;
        running_ = ready_.front();
        ready_.pop_front();
        changed_.notify_all();
    }
}

void VirtualClock::waitQuiescentLocked(std::unique_lock<std::mutex>& lock) {
    runReadyLocked(lock, nullptr);
}

void VirtualClock::wakeEarliestLocked(std::unique_lock<std::mutex>&) {
    auto first = sleepers_.begin();
    if (first == sleepers_.end()) return;
    if (first->first.first > now_) now_ = first->first.first;
    running_ = first->second; // its turn, before anyone else's
    sleepers_.erase(first);
    ++active_; // counted for the sleeper before it runs
    changed_.notify_all();
}

std::optional<uint64_t> VirtualClock::quiescentNextWake() {
    if (!gated_) return std::nullopt;
    std::unique_lock lock(mutex_);
    waitQuiescentLocked(lock);
    if (sleepers_.empty()) return std::nullopt;
    return sleepers_.begin()->first.first;
}

void VirtualClock::wakeEarliest() {
    std::unique_lock lock(mutex_);
    waitQuiescentLocked(lock);
    wakeEarliestLocked(lock);
    waitQuiescentLocked(lock);
}

void VirtualClock::ungate() {
    std::lock_guard lock(mutex_);
    gated_ = false;
    released_ = true;
    sleepers_.clear();
    ready_.clear();
    running_ = nullptr;
    changed_.notify_all();
}

bool VirtualClock::hasWork() {
    std::lock_guard lock(mutex_);
    return active_ > 0 || !sleepers_.empty();
}

void VirtualClock::workQueued(const void* owner) {
    std::lock_guard lock(mutex_);
    ++active_;
    if (gated_) ready_.push_back(owner);
}

void VirtualClock::workDone(const void* owner) {
    std::lock_guard lock(mutex_);
    --active_;
    // Suspended before its turn came, or at the end of its turn.
    auto waiting = std::find(ready_.begin(), ready_.end(), owner);
    if (waiting != ready_.end())
        ready_.erase(waiting);
    else if (running_ == owner)
        running_ = nullptr;
    // Also the main thread waiting for this very task.
    changed_.notify_all();
}

void VirtualClock::blockBegins() {
    std::lock_guard lock(mutex_);
    --active_;
    handBackLocked();
}

void VirtualClock::unblock(const void* owner) {
    std::lock_guard lock(mutex_);
    ++active_;
    if (gated_) ready_.push_back(owner);
}

void VirtualClock::enter(const void* owner) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return running_ == owner || !gated_; });
}

void VirtualClock::waitOnMain(const std::function<bool()>& done) {
    std::unique_lock lock(mutex_);
    for (;;) {
        if (!gated_) {
            changed_.wait_for(lock, std::chrono::milliseconds(1), done);
            if (done()) return;
            continue;
        }
        runReadyLocked(lock, done);
        if (!gated_) continue;
        if (done()) return;
        if (sleepers_.empty()) {
            // Nothing runs and nothing sleeps: what is awaited was queued elsewhere.
            changed_.wait_for(lock, std::chrono::milliseconds(1));
            continue;
        }
        wakeEarliestLocked(lock);
    }
}

} // namespace platform
