#include "platform/Clock.h"

#include <chrono>
#include <thread>

namespace platform {

void RealClock::sleepMicroseconds(uint32_t us) {
    std::this_thread::sleep_for(std::chrono::microseconds(us));
}

} // namespace platform
