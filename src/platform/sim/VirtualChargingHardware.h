#pragma once
// The virtual Mac's charging controller as the helper process reaches it: a virtual system
// management controller whose charging keys are those of the machine's firmware, and small
// files in a root-only folder of the machine: "keys" (the firmware's key set, written by the
// machine), "battery" (charge percent and whether the adapter is in, written by the machine) and
// "control" (charging inhibited, adapter bypassed, as the controller's keys now say, written by
// the helper and read back by the machine).

#include "helper/ChargingHardware.h"

#include <functional>
#include <memory>
#include <string>

namespace sim {

inline constexpr const char* kChargingControllerFolder = "/private/var/db/nightlid-charging";

// root: the machine's root folder (NIGHTLID_SYSTEM_ROOT for the helper it starts); log hears
// what the helper found on the controller.
std::unique_ptr<helper::ChargingHardware>
makeVirtualChargingHardware(const std::string& root,
                            const std::function<void(const std::string&)>& log);

} // namespace sim
