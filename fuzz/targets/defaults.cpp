// The user defaults file, read at start and written back with what could be read.

#include "FuzzSupport.h"
#include "platform/UserDefaults.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::clearScratch();
    const std::string path = fuzz::writeInput("defaults.json", data, size);
    std::map<std::string, platform::UserDefaults::Stored> expected;
    bool written = false;
    {
        platform::UserDefaults defaults(path);
        for (const auto& [key, stored] : defaults.all()) {
            (void)defaults.boolValue(key);
            (void)defaults.integer(key);
            (void)defaults.number(key);
            (void)defaults.string(key);
        }
        defaults.set("fuzz.touched", true);
        expected = defaults.all();
        written = defaults.synchronize();
    }
    // What was kept reads back the same, types included.
    platform::UserDefaults again(path);
    if (written && again.all() != expected) __builtin_trap();
    return 0;
}
