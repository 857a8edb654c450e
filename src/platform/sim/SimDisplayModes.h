#pragma once
// Display modes of the virtual Mac's panels and monitors, and how a completed configuration
// transaction moves them.

#include "platform/sim/MachineDescription.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace sim {

// The mode families a machine description can name instead of listing modes.
std::optional<std::vector<platform::DisplayMode>> modePreset(const std::string& name);
const std::vector<std::string>& modePresetNames();
// The single mode of a display described without modes: its frame, at twice the pixels on a panel.
platform::DisplayMode modeForFrame(const platform::Rect& frame, bool builtIn);
// The mode a display starts in when none is named: of the modes of the frame's size, HiDPI
// first, then the fastest.
std::optional<size_t> modeMatchingFrame(const std::vector<platform::DisplayMode>& modes,
                                        const platform::Rect& frame);

// What a configuration transaction asks for.
struct PendingConfiguration {
    int ref = 0;
    std::map<DisplayID, platform::DisplayMode> modes;
    std::map<DisplayID, std::pair<int32_t, int32_t>> origins;
    std::map<DisplayID, DisplayID> mirrors; // 0: mirror nothing
};

// Applies a transaction to the displays; an error text when the system would refuse it, with
// nothing changed.
std::optional<std::string> applyConfiguration(std::vector<DisplayDescription>& displays,
                                              const PendingConfiguration& config);

} // namespace sim
