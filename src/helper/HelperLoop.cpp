#include "helper/HelperLoop.h"

namespace helper {

void HelperLoop::poll(int64_t now) {
    if (lastPoll_ != 0 && now - lastPoll_ > wakeGapSeconds) applied_.reset();
    lastPoll_ = now;
    if (!hardware_.whyNotControlled().empty()) {
        // Nothing is decided, so nothing is enforced; the program still learns why.
        core_.prepareOnly();
        core_.publishChargingControl(hardware_.whyNotControlled());
        return;
    }
    const auto battery = hardware_.read();
    if (!battery) return;
    const auto control = core_.tick(now, *battery);
    if (control != applied_) {
        std::string error;
        if (hardware_.apply(control, error))
            applied_ = control;
        else
            log_("nightlid-helper: " + error);
    }
    // After the write: a controller that did not keep it is said at once.
    core_.publishChargingControl(hardware_.whyNotControlled());
}

} // namespace helper
