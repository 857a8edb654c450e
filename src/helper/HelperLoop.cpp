#include "helper/HelperLoop.h"

namespace helper {

void HelperLoop::poll(int64_t now) {
    if (lastPoll_ != 0 && now - lastPoll_ > wakeGapSeconds) applied_.reset();
    lastPoll_ = now;
    const auto battery = hardware_.read();
    if (!battery) return;
    const auto control = core_.tick(now, *battery);
    if (control == applied_) return;
    std::string error;
    if (hardware_.apply(control, error))
        applied_ = control;
    else
        log_("nightlid-helper: " + error);
}

} // namespace helper
