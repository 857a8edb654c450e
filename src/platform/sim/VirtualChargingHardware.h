#pragma once
// The virtual Mac's charging controller as the helper reaches it: two small files in a
// root-only folder of the machine, "battery" (charge percent and whether the adapter is in),
// written by the machine, and "control" (charging inhibited, adapter bypassed), written by the
// helper and read back by the machine.

#include "helper/ChargingHardware.h"

#include <memory>
#include <string>

namespace sim {

// root: the machine's root folder (NIGHTLID_SYSTEM_ROOT for the helper it starts).
std::unique_ptr<helper::ChargingHardware> makeVirtualChargingHardware(const std::string& root);

} // namespace sim
