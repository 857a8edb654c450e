#pragma once
// What the virtual hardware keeps when the program ends, as a real Mac's would: the monitors'
// VCP values and the panel and keyboard levels. Gamma tables and windows are not kept.

#include "platform/Displays.h"

#include <cstdint>
#include <map>
#include <string>

namespace sim {

struct HardwareState {
    std::map<platform::DisplayID, std::map<uint8_t, uint16_t>> vcp;
    std::map<platform::DisplayID, float> panels;
    std::map<uint64_t, float> keyboards;
};

// The state of a few monitors is a few kilobytes.
inline constexpr size_t kMaxHardwareStateBytes = 1024 * 1024;

// Reads the file; what cannot be read is left out and described in problems. A file that is
// not a JSON object (damaged, endless, a FIFO or a device) is moved aside.
HardwareState readHardwareState(const std::string& path, std::string& problems);
// Written whole, never through a link nor into a FIFO or a device; false with the reason.
bool writeHardwareState(const std::string& path, const HardwareState& state, std::string& error);

} // namespace sim
