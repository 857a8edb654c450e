// The virtual hardware's state file, kept between runs of one profile.

#include "FuzzSupport.h"
#include "platform/sim/HardwareState.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::clearScratch();
    const std::string path = fuzz::writeInput("hardware.json", data, size);
    std::string problems;
    const auto state = sim::readHardwareState(path, problems);
    // What was read is written and read back unchanged.
    const std::string again = fuzz::scratch() + "/again.json";
    std::string error;
    if (!sim::writeHardwareState(again, state, error)) return 0;
    std::string secondProblems;
    const auto reread = sim::readHardwareState(again, secondProblems);
    if (!secondProblems.empty() || reread.vcp != state.vcp || reread.panels != state.panels ||
        reread.keyboards != state.keyboards)
        __builtin_trap();
    return 0;
}
