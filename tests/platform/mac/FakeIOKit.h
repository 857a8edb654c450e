#pragma once
// IOKit's registry services and the SMC's user client in memory, for the helper's adapter where
// there is no Mac: the user client hands each 80-byte exchange to a controller given by the test.

#include "helper/SmcProtocol.h"

#include <IOKit/IOKitLib.h>

#include <cstdint>
#include <map>
#include <string>
#include <variant>

namespace fakeiokit {

struct State {
    bool smcPresent = true;
    bool batteryPresent = true;
    kern_return_t openResult = KERN_SUCCESS;
    size_t answerSize = sizeof(smc::Parameters); // what the user client says it wrote
    smc::Transport* controller = nullptr;
    std::map<std::string, std::variant<int64_t, bool>> battery; // AppleSmartBattery's properties
    int servicesHeld = 0;                                       // matched and not released
    int connectionsOpen = 0;                                    // opened and not closed
};

State& state();
void reset();

} // namespace fakeiokit
