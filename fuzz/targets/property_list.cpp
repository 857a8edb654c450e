// Property lists: the power-management preferences the battery card reads, and the launch
// daemon definition the virtual Mac's launchd loads.

#include "platform/PropertyList.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string error;
    const auto plist =
        platform::parsePropertyList(std::string(reinterpret_cast<const char*>(data), size), error);
    if (!plist) {
        if (error.empty()) __builtin_trap(); // a refusal says why
        return 0;
    }
    // What was read is written as a list that reads back the same.
    const auto again = platform::parsePropertyList(platform::xmlPropertyList(*plist), error);
    if (!again || !(*again == *plist)) __builtin_trap();
    return 0;
}
