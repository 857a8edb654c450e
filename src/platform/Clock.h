#pragma once
// Sleeps made inside device exchanges. The virtual Mac charges them to virtual time instead.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <utility>

namespace platform {

class WorkGate;

class Clock {
  public:
    virtual ~Clock() = default;
    virtual void sleepMicroseconds(uint32_t us) = 0;
    // A monotonic time in microseconds, for pacing device exchanges.
    virtual uint64_t nowMicroseconds() const = 0;
    // Set when queue work must take turns with the run loop in one shared virtual time.
    virtual WorkGate* workGate() { return nullptr; }
};

class RealClock : public Clock {
  public:
    void sleepMicroseconds(uint32_t us) override;
    uint64_t nowMicroseconds() const override;
};

// How queues take part in virtual time. Work counts from the moment it is queued until it ends;
// a worker sleeping in the clock, or waiting on another queue, does not count meanwhile. When no
// work counts, everything is waiting on time, and the one who steps time (the run loop, or the
// main thread waiting on a queue) wakes the earliest sleeper. Workers take turns with the main
// thread: one runs at a time, and a worker only while the main thread waits, in the order its
// work became ready, so the same events give the same result every run, however busy the host.
// A queue is known to the gate by its own address (its owner).
class WorkGate {
  public:
    virtual ~WorkGate() = default;
    // owner's work became ready to run, or ended (the queue is idle or suspended).
    virtual void workQueued(const void* owner) = 0;
    virtual void workDone(const void* owner) = 0;
    // A worker about to wait for work on another queue; that work calls unblock() when it ends,
    // before the waiter is released, so nothing is ever seen idle in between.
    virtual void blockBegins() = 0;
    virtual void unblock(const void* owner) = 0;
    // A worker waits here for its turn before it runs owner's work.
    virtual void enter(const void* owner) = 0;
    // The main thread waits until done() holds, moving time for the workers meanwhile.
    virtual void waitOnMain(const std::function<bool()>& done) = 0;
    // Marks the calling thread as the worker of owner, a gated queue (for the life of the thread).
    static void markWorkerThread(const void* owner);
    static bool isWorkerThread();
    static const void* currentOwner();
};

// Virtual time for device exchanges. Alone, it never blocks and adds up what was asked for, so
// a test can read the cost. Gated, it is the one time of the virtual Mac: the run loop's timers
// and the queues' sleeps are ordered on it. In real time (the interactive simulator) sleeps are
// real and it reads the system's monotonic clock.
class VirtualClock : public Clock, public WorkGate {
  public:
    void sleepMicroseconds(uint32_t us) override;
    uint64_t sleptMicroseconds() const { return slept_; }
    // How often a sleeping worker handed the turn back to the main thread.
    uint64_t handBacks() const { return handBacks_; }
    uint64_t nowMicroseconds() const override;
    // Idle time passing: never moves backwards.
    void advanceTo(uint64_t us);
    void setRealTime(bool real) { realTime_ = real; }
    void setGated(bool gated) { gated_ = gated; }
    WorkGate* workGate() override { return gated_ ? this : nullptr; }

    // For the run loop: waits until no queued work is running, then tells when the earliest
    // sleeper wakes, if any.
    std::optional<uint64_t> quiescentNextWake();
    // Moves time to the earliest sleeper's moment and lets it run (until it sleeps or ends).
    void wakeEarliest();
    bool hasWork();
    // Time stops being shared: every sleeper goes on at once, later sleeps return at once (the
    // machine is going away).
    void ungate();

    // What the main thread will do once no worker runs and none is ready: whether it would then
    // wake a sleeper due at that moment rather than do something of its own first. While a plan
    // is known, a worker whose sleep ends before every other sleeper's goes on at once instead of
    // handing the turn to the main thread and back: the same order, without two thread switches
    // per device sleep. Plans nest (a wait inside a task of the run loop); none: always hand back.
    using MainPlan = std::function<bool(uint64_t wake)>;
    class PlanScope {
      public:
        PlanScope(VirtualClock* clock, MainPlan plan);
        ~PlanScope();
        PlanScope(const PlanScope&) = delete;
        PlanScope& operator=(const PlanScope&) = delete;

      private:
        VirtualClock* clock_;
        MainPlan previous_;
    };

    void workQueued(const void* owner) override;
    void workDone(const void* owner) override;
    void blockBegins() override;
    void unblock(const void* owner) override;
    void enter(const void* owner) override;
    void waitOnMain(const std::function<bool()>& done) override;

  private:
    void wakeEarliestLocked(std::unique_lock<std::mutex>& lock);
    // A sleeping worker the main thread would wake next anyway, with nobody before it.
    bool goesOnLocked(uint64_t wake) const;
    void waitQuiescentLocked(std::unique_lock<std::mutex>& lock);
    // Gives the turn to each ready worker in order until none is ready (or stop() holds).
    void runReadyLocked(std::unique_lock<std::mutex>& lock, const std::function<bool()>& stop);
    void handBackLocked();
    // A worker of owner's queue waits until it is its turn (or time is no longer shared).
    void waitForTurnLocked(std::unique_lock<std::mutex>& lock, const void* owner);
    void giveTurnLocked(const void* owner);

    std::atomic<uint64_t> slept_{0};
    std::atomic<uint64_t> handBacks_{0};
    std::atomic<uint64_t> now_{0};
    bool realTime_ = false;
    bool gated_ = false;
    bool released_ = false; // ungated for good: real-time sleeps end at once
    std::mutex mutex_;
    // Each waiter is woken only when something it waits for changed: one shared condition woke
    // every worker at every turn, a thread switch each that the turn never needed.
    std::condition_variable mainTurn_;
    struct Turn {
        std::condition_variable changed;
        int waiters = 0;
    };
    std::map<const void*, Turn> turns_; // the turns waited for, by queue
    std::condition_variable realTimeEnds_;
    int active_ = 0;
    uint64_t sleeperSeq_ = 0;
    // (wake moment, order of falling asleep) -> the sleeping worker's queue.
    std::map<std::pair<uint64_t, uint64_t>, const void*> sleepers_;
    // Whose turn it is (none: the main thread's), and who is ready, in the order it became so.
    const void* running_ = nullptr;
    std::deque<const void*> ready_;
    MainPlan plan_;
};

} // namespace platform
