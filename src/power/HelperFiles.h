#pragma once
// The limit and calibration files read exactly as the helper reads them (the same reader, the
// same parser), so the card shows what the helper enforces. A file refused is named in the log
// with the reason, once until the reason changes.

#include "helper/HelperFileFormat.h"

#include <string>

namespace power {

inline constexpr const char* kHelperFolder = "/Library/Application Support/Nightlid";
inline constexpr const char* kLimitFile = "/Library/Application Support/Nightlid/limit.txt";
inline constexpr const char* kCalibrationFile =
    "/Library/Application Support/Nightlid/calibration.txt";

// lastRefusal is kept up to date by the call, so a refusal the card meets at every refresh is
// logged once.
helper::LimitFile readLimitFile(std::string& lastRefusal);
helper::CalibrationFile readCalibrationFile(std::string& lastRefusal);
// What the helper said about this machine's charging; none when it has said nothing usable.
std::optional<helper::ChargingControl> readChargingControl();

} // namespace power
