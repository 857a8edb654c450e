#pragma once
// What a Mac build still owes, each entry saying which step brings it. Everything the program
// itself calls is served by the adapters; only the charge helper's own hardware is left.

#include "helper/ChargingHardware.h"

#include <memory>

namespace mac {

// Owed by the charge helper's step (the system management controller and the bundle): the
// helper's control of charging. Until then it reads nothing and so decides nothing.
std::unique_ptr<helper::ChargingHardware> makePendingSmcChargingHardware();

} // namespace mac
