#pragma once
// A serial dispatch queue: one worker thread, tasks run in the order queued.

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace platform {

class WorkGate;

class SerialQueue {
  public:
    explicit SerialQueue(std::string label);
    ~SerialQueue();
    SerialQueue(const SerialQueue&) = delete;
    SerialQueue& operator=(const SerialQueue&) = delete;

    const std::string& label() const { return label_; }
    void async(std::function<void()> task);
    // Waits for every task queued before, then runs this one and returns.
    void sync(const std::function<void()>& task);
    // Waits until every queued task has run, and those they queued in turn.
    void drain();
    bool isCurrent() const;
    // A suspended queue takes tasks but runs none, until resumed or stepped by runNext() on the
    // caller's thread (a simulation that interleaves the queue with events in virtual time).
    void suspend();
    void resume();
    bool runNext();
    size_t pendingCount();
    // Nothing queued and nothing running: a drain would return at once.
    bool isIdle();
    // Takes part in virtual time from now on (set before any task is queued).
    void setGate(WorkGate* gate) { gate_ = gate; }

  private:
    void run();
    // The change in work this queue holds in the gate, kept in counted_.
    int rebalanceLocked();

    std::string label_;
    int counted_ = 0;
    std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<std::function<void()>> tasks_;
    bool stopping_ = false;
    bool suspended_ = false;
    bool running_ = false;
    std::atomic<std::thread::id> stepping_{};
    std::atomic<WorkGate*> gate_{nullptr};
    std::thread worker_;
};

// A small pool for work that may run concurrently (the global queue).
class ConcurrentQueue {
  public:
    explicit ConcurrentQueue(int workers = 2);
    ~ConcurrentQueue();
    void async(std::function<void()> task);
    void drain();
    bool isIdle();
    void setGate(WorkGate* gate) { gate_ = gate; }

  private:
    void run(int index);
    int rebalanceLocked();
    size_t takingWorkers() const;
    int counted_ = 0;
    std::atomic<WorkGate*> gate_{nullptr};
    std::mutex mutex_;
    std::condition_variable cv_;
    std::condition_variable idle_;
    std::deque<std::function<void()>> tasks_;
    int busy_ = 0;
    bool stopping_ = false;
    std::vector<std::thread> workers_;
};

} // namespace platform
