#include "platform/Clock.h"

#include <chrono>
#include <thread>

namespace platform {

void RealClock::sleepMicroseconds(uint32_t us) {
    std::this_thread::sleep_for(std::chrono::microseconds(us));
}

uint64_t RealClock::nowMicroseconds() const {
    return uint64_t(std::chrono::duration_cast<std::chrono::microseconds>(
                        std::chrono::steady_clock::now().time_since_epoch())
                        .count());
}

} // namespace platform
