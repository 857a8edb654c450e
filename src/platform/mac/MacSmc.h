#pragma once
// The charge helper's hardware on a Mac: the system management controller's user client
// (IOKit's "AppleSMC") carries the key/value protocol, and the battery's registry entry
// ("AppleSmartBattery") gives the charge and the adapter. Plain C++ over IOKit and Core
// Foundation, no Qt: it is linked into nightlid-helper only.

#include "helper/ChargingHardware.h"

#include <functional>
#include <memory>
#include <string>

namespace mac {

// Opens the controller and finds its charging keys (log hears what was found); a controller
// that cannot be opened gives hardware that enforces nothing and says why.
std::unique_ptr<helper::ChargingHardware>
makeSmcChargingHardware(const std::function<void(const std::string&)>& log);

} // namespace mac
