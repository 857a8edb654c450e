#include "platform/Clock.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <utility>

namespace platform {

namespace {
thread_local bool gatedWorker = false;
thread_local const void* workerOwner = nullptr;

// The main thread's plan for the length of one wait, under the clock's lock.
struct PlanSwap {
    PlanSwap(VirtualClock::MainPlan& plan, VirtualClock::MainPlan now)
        : plan_(plan), outer_(std::exchange(plan, std::move(now))) {}
    ~PlanSwap() { plan_ = std::move(outer_); }
    PlanSwap(const PlanSwap&) = delete;
    PlanSwap& operator=(const PlanSwap&) = delete;
    VirtualClock::MainPlan& plan_;
    VirtualClock::MainPlan outer_;
};

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
        realTimeEnds_.wait_for(lock, std::chrono::microseconds(us), [this] { return released_; });
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
        const PlanSwap plan(plan_, [wake](uint64_t at) { return at <= wake; });
        for (;;) {
            waitQuiescentLocked(lock);
            if (sleepers_.empty() || sleepers_.begin()->first.first > wake) break;
            wakeEarliestLocked(lock);
        }
        if (wake > now_) now_ = wake;
        return;
    }
    if (goesOnLocked(wake)) {
        now_ = std::max(now_.load(), wake);
        return;
    }
    const void* me = currentOwner();
    sleepers_[{wake, sleeperSeq_++}] = me;
    ++handBacks_;
    --active_;
    handBackLocked();
    waitForTurnLocked(lock, me);
}

bool VirtualClock::goesOnLocked(uint64_t wake) const {
    // Someone ready runs before any sleeper wakes; an equal moment goes to who slept first.
    if (!plan_ || !ready_.empty()) return false;
    if (!sleepers_.empty() && sleepers_.begin()->first.first <= wake) return false;
    return plan_(wake);
}

VirtualClock::PlanScope::PlanScope(VirtualClock* clock, MainPlan plan) : clock_(clock) {
    if (!clock_) return;
    std::lock_guard lock(clock_->mutex_);
    previous_ = std::exchange(clock_->plan_, std::move(plan));
}

VirtualClock::PlanScope::~PlanScope() {
    if (!clock_) return;
    std::lock_guard lock(clock_->mutex_);
    clock_->plan_ = std::move(previous_);
}

void VirtualClock::handBackLocked() {
    running_ = nullptr;
    mainTurn_.notify_all();
}

void VirtualClock::waitForTurnLocked(std::unique_lock<std::mutex>& lock, const void* owner) {
    // Kept only while someone waits on it: queues come and go with the displays.
    Turn& turn = turns_[owner];
    ++turn.waiters;
    turn.changed.wait(lock, [&] { return running_ == owner || !gated_; });
    if (--turn.waiters == 0) turns_.erase(owner);
}

void VirtualClock::giveTurnLocked(const void* owner) {
    running_ = owner;
    if (auto waiting = turns_.find(owner); waiting != turns_.end())
        waiting->second.changed.notify_all();
}

void VirtualClock::runReadyLocked(std::unique_lock<std::mutex>& lock,
                                  const std::function<bool()>& stop) {
    for (;;) {
        mainTurn_.wait(lock, [this] { return running_ == nullptr || !gated_; });
        if (!gated_ || ready_.empty() || (stop && stop())) return;
        const void* next = ready_.front();
        ready_.pop_front();
        giveTurnLocked(next);
    }
}

void VirtualClock::waitQuiescentLocked(std::unique_lock<std::mutex>& lock) {
    runReadyLocked(lock, nullptr);
}

void VirtualClock::wakeEarliestLocked(std::unique_lock<std::mutex>&) {
    auto first = sleepers_.begin();
    if (first == sleepers_.end()) return;
    if (first->first.first > now_) now_ = first->first.first;
    const void* sleeper = first->second;
    sleepers_.erase(first);
    ++active_;               // counted for the sleeper before it runs
    giveTurnLocked(sleeper); // its turn, before anyone else's
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
    mainTurn_.notify_all();
    for (auto& [owner, turn] : turns_)
        turn.changed.notify_all();
    realTimeEnds_.notify_all();
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
    mainTurn_.notify_all();
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
    waitForTurnLocked(lock, owner);
}

void VirtualClock::waitOnMain(const std::function<bool()>& done) {
    std::unique_lock lock(mutex_);
    // Below, with nobody ready and done() false, the earliest sleeper is woken.
    const PlanSwap plan(plan_, [&done](uint64_t) { return !done(); });
    for (;;) {
        if (!gated_) {
            mainTurn_.wait_for(lock, std::chrono::milliseconds(1), done);
            if (done()) return;
            continue;
        }
        runReadyLocked(lock, done);
        if (!gated_) continue;
        if (done()) return;
        if (sleepers_.empty()) {
            // Nothing runs and nothing sleeps: what is awaited was queued elsewhere.
            mainTurn_.wait_for(lock, std::chrono::milliseconds(1));
            continue;
        }
        wakeEarliestLocked(lock);
    }
}

} // namespace platform
