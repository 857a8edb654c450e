// The recovery journal: what a crash left dark, read at the next start.

#include "FuzzSupport.h"
#include "blackout/RecoveryJournal.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::clearScratch();
    const std::string path = fuzz::writeInput("recovery.json", data, size);
    RecoveryJournal journal(path, nullptr);
    // Whatever it kept is something a display can be given back.
    for (const auto& d : journal.displays())
        if (auto level = journal.preDarkBrightness(d.id);
            level && (!std::isfinite(*level) || *level < 0 || *level > 1))
            __builtin_trap();
    for (const auto& [keyboard, level] : journal.keyboards())
        if (!std::isfinite(level) || level < 0 || level > 1) __builtin_trap();
    return 0;
}
