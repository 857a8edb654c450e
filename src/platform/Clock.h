#pragma once
// Sleeps made inside device exchanges. The virtual Mac charges them to virtual time instead.

#include <atomic>
#include <cstdint>
#include <functional>

namespace platform {

class Clock {
  public:
    virtual ~Clock() = default;
    virtual void sleepMicroseconds(uint32_t us) = 0;
    // A monotonic time in microseconds, for pacing device exchanges.
    virtual uint64_t nowMicroseconds() const = 0;
};

class RealClock : public Clock {
  public:
    void sleepMicroseconds(uint32_t us) override;
    uint64_t nowMicroseconds() const override;
};

// Never blocks; adds up what was asked for, so a test or benchmark can read the cost. Its time
// moves only by those sleeps, or when a simulation moves it on to a later moment.
class VirtualClock : public Clock {
  public:
    void sleepMicroseconds(uint32_t us) override {
        slept_ += us;
        const uint64_t now = now_ += us;
        if (observer_) observer_(now);
    }
    // Told the new time after every sleep: a simulation delivers what happened meanwhile.
    void setSleepObserver(std::function<void(uint64_t)> observer) {
        observer_ = std::move(observer);
    }
    uint64_t sleptMicroseconds() const { return slept_; }
    uint64_t nowMicroseconds() const override { return now_; }
    // Idle time passing: never moves backwards.
    void advanceTo(uint64_t us) {
        uint64_t now = now_.load();
        while (us > now && !now_.compare_exchange_weak(now, us)) {
        }
    }

  private:
    std::atomic<uint64_t> slept_{0};
    std::atomic<uint64_t> now_{0};
    std::function<void(uint64_t)> observer_;
};

} // namespace platform
