#pragma once
// A run loop in virtual time: nothing runs until advance() or runPending() is called.

#include "platform/RunLoop.h"

#include <map>
#include <mutex>
#include <optional>
#include <vector>

namespace platform {

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

  private:
    struct Entry {
        double due;
        uint64_t seq;
        Task task;
    };
    bool popDue(double limit, Entry& out);

    mutable std::mutex mutex_;
    double now_ = 0;
    uint64_t seq_ = 0;
    std::vector<Entry> entries_;
};

} // namespace platform
