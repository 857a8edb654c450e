// The virtual Mac's display configuration transactions.

#include "platform/sim/VirtualMacImpl.h"

namespace sim {

namespace {

std::string modeText(const DisplayMode& m) {
    return std::to_string(m.width) + "x" + std::to_string(m.height) + " (" +
           std::to_string(m.pixelWidth) + "x" + std::to_string(m.pixelHeight) + ")";
}

} // namespace

CGError VirtualMac::Impl::beginDisplayConfiguration(DisplayConfigRef& config) {
    config = 0;
    if (d.configurationFailsAt == "begin") return kCGErrorFailure;
    pendingConfiguration = PendingConfiguration{};
    pendingConfiguration->ref = nextConfiguration++;
    config = pendingConfiguration->ref;
    return kCGErrorSuccess;
}

CGError VirtualMac::Impl::configureDisplayWithDisplayMode(DisplayConfigRef config, DisplayID id,
                                                          const DisplayMode& mode) {
    if (!pendingConfiguration || pendingConfiguration->ref != config)
        return kCGErrorIllegalArgument;
    if (d.configurationFailsAt == "configure") return kCGErrorFailure;
    auto x = display(id);
    if (!x || !x->online) return kCGErrorIllegalArgument;
    pendingConfiguration->modes[id] = mode;
    return kCGErrorSuccess;
}

CGError VirtualMac::Impl::configureDisplayOrigin(DisplayConfigRef config, DisplayID id, int32_t x,
                                                 int32_t y) {
    if (!pendingConfiguration || pendingConfiguration->ref != config)
        return kCGErrorIllegalArgument;
    pendingConfiguration->origins[id] = {x, y};
    return kCGErrorSuccess;
}

CGError VirtualMac::Impl::configureDisplayMirrorOfDisplay(DisplayConfigRef config, DisplayID id,
                                                          DisplayID master) {
    if (!pendingConfiguration || pendingConfiguration->ref != config)
        return kCGErrorIllegalArgument;
    pendingConfiguration->mirrors[id] = master;
    return kCGErrorSuccess;
}

CGError VirtualMac::Impl::completeDisplayConfiguration(DisplayConfigRef config, ConfigureOption) {
    if (!pendingConfiguration || pendingConfiguration->ref != config)
        return kCGErrorIllegalArgument;
    if (d.configurationFailsAt == "complete") {
        configurations.push_back("refused: the machine fails every completion");
        log.write("Virtual Mac: display configuration refused");
        if (changed) changed();
        return kCGErrorFailure;
    }
    const auto asked = *pendingConfiguration;
    if (auto problem = applyConfiguration(d.displays, asked)) {
        configurations.push_back("refused: " + *problem);
        log.write("Virtual Mac: display configuration refused: " + *problem);
        if (changed) changed();
        return kCGErrorIllegalArgument;
    }
    pendingConfiguration.reset();
    std::string what;
    for (const auto& [id, mode] : asked.modes)
        what += " display " + std::to_string(id) + " mode " + modeText(mode) + ";";
    for (const auto& [id, master] : asked.mirrors)
        what += " display " + std::to_string(id) +
                (master ? " mirrors " + std::to_string(master) : " mirrors nothing") + ";";
    if (!asked.origins.empty()) what += " origins set;";
    if (what.empty()) what = " nothing;";
    what.pop_back();
    configurations.push_back("completed:" + what);
    log.write("Virtual Mac: display configuration completed:" + what);
    fireScreenParameters();
    if (changed) changed();
    return kCGErrorSuccess;
}

CGError VirtualMac::Impl::cancelDisplayConfiguration(DisplayConfigRef config) {
    if (!pendingConfiguration || pendingConfiguration->ref != config)
        return kCGErrorIllegalArgument;
    pendingConfiguration.reset();
    return kCGErrorSuccess;
}

} // namespace sim
