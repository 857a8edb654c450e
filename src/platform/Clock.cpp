#include "platform/Clock.h"

#include <chrono>
#include <thread>

namespace platform {

namespace {
thread_local bool gatedWorker = false;

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

void WorkGate::markWorkerThread() {
    gatedWorker = true;
}

bool WorkGate::isWorkerThread() {
    return gatedWorker;
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
    bool woken = false;
    sleepers_[{wake, sleeperSeq_++}] = &woken;
    --active_;
    changed_.notify_all();
    changed_.wait(lock, [&] { return woken; });
}

void VirtualClock::waitQuiescentLocked(std::unique_lock<std::mutex>& lock) {
    changed_.wait(lock, [this] { return active_ == 0; });
}

void VirtualClock::wakeEarliestLocked(std::unique_lock<std::mutex>&) {
    auto first = sleepers_.begin();
    if (first == sleepers_.end()) return;
    if (first->first.first > now_) now_ = first->first.first;
    *first->second = true;
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
    for (auto& [when, woken] : sleepers_)
        *woken = true;
    sleepers_.clear();
    changed_.notify_all();
}

bool VirtualClock::hasWork() {
    std::lock_guard lock(mutex_);
    return active_ > 0 || !sleepers_.empty();
}

void VirtualClock::workQueued() {
    std::lock_guard lock(mutex_);
    ++active_;
}

void VirtualClock::workDone() {
    std::lock_guard lock(mutex_);
    --active_;
    // Also the main thread waiting for this very task.
    changed_.notify_all();
}

void VirtualClock::blockBegins() {
    std::lock_guard lock(mutex_);
    if (--active_ == 0) changed_.notify_all();
}

void VirtualClock::unblock() {
    std::lock_guard lock(mutex_);
    ++active_;
}

void VirtualClock::waitOnMain(const std::function<bool()>& done) {
    std::unique_lock lock(mutex_);
    for (;;) {
        if (!gated_) {
            changed_.wait_for(lock, std::chrono::milliseconds(1), done);
            if (done()) return;
            continue;
        }
        changed_.wait(lock, [&] { return done() || active_ == 0; });
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
