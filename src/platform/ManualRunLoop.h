#pragma once
// A run loop in virtual time: nothing runs until advance() or runPending() is called.

#include "platform/RunLoop.h"

#include <map>
#include <mutex>
#include <optional>
#include <vector>

namespace platform {

class VirtualClock;

class ManualRunLoop : public RunLoop {
  public:
    double now() const override;
    void async(Task task) override;
    void asyncAfter(double seconds, Task task) override;
    std::shared_ptr<Timer> scheduleRepeating(double interval,
                                             std::function<void(Timer&)> block) override;

    // Runs every task due up to now + seconds, in due order, moving the clock as it goes.
    void advance(double seconds);
    // Runs tasks that are due now (including ones they queue), without moving the clock.
    void runPending();
    size_t pendingCount() const;
    // When the next task or timer is due, if any.
    std::optional<double> nextDue() const;
    // Shares one time with the clock's gated queues: their sleeps end between this loop's tasks,
    // in time order, and advance() leaves no queue running.
    void attachClock(VirtualClock* clock) { clock_ = clock; }
    // Runs on, past now if need be, until the gated queues have nothing left to do (at most
    // limit seconds, and never to a sleeper's wake beyond it); what falls due meanwhile runs too.
    void finishQueuedWork(double limit);

  private:
    struct Entry {
        double due;
        uint64_t seq;
        Task task;
    };
    bool popDue(double limit, Entry& out);

    void setNow(double now);
    double nowLocked() const;

    mutable std::mutex mutex_;
    VirtualClock* clock_ = nullptr;
    double now_ = 0;
    uint64_t seq_ = 0;
    std::vector<Entry> entries_;
};

} // namespace platform
