#pragma once
// Sleeps made inside device exchanges. The virtual Mac charges them to virtual time instead.

#include <atomic>
#include <cstdint>

namespace platform {

class Clock {
  public:
    virtual ~Clock() = default;
    virtual void sleepMicroseconds(uint32_t us) = 0;
};

class RealClock : public Clock {
  public:
    void sleepMicroseconds(uint32_t us) override;
};

// Never blocks; adds up what was asked for, so a test or benchmark can read the cost.
class VirtualClock : public Clock {
  public:
    void sleepMicroseconds(uint32_t us) override { slept_ += us; }
    uint64_t sleptMicroseconds() const { return slept_; }

  private:
    std::atomic<uint64_t> slept_{0};
};

} // namespace platform
