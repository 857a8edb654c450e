#pragma once
// The main run loop: every feature's state lives on it. Production binds it to Qt's event loop;
// tests drive a manual loop in virtual time.

#include <cstdint>
#include <functional>
#include <memory>

namespace platform {

using Task = std::function<void()>;

class Timer {
  public:
    virtual ~Timer() = default;
    virtual void invalidate() = 0;
    virtual bool isValid() const = 0;
};

class RunLoop {
  public:
    virtual ~RunLoop() = default;
    // Seconds on this loop's clock; timers and delays are measured on it.
    virtual double now() const = 0;
    // Thread-safe: may be called from any thread; the task runs on the main thread.
    virtual void async(Task task) = 0;
    virtual void asyncAfter(double seconds, Task task) = 0;
    // A repeating timer; the block receives the timer so it can invalidate itself.
    virtual std::shared_ptr<Timer> scheduleRepeating(double interval,
                                                     std::function<void(Timer&)> block) = 0;
};

// The main queue of the current platform.
RunLoop& mainQueue();

} // namespace platform
