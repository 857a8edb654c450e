// Property lists: the power-management preferences the battery card reads (binary on a Mac, XML
// in older files), and the launch daemon definition the virtual Mac's launchd loads.

#include "platform/PropertyList.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string error;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const auto plist = platform::parsePropertyList(bytes, error);
    if (!plist) {
        if (error.empty()) __builtin_trap(); // a refusal says why
        return 0;
    }
    // What was read is written in the binary form and reads back the same.
    const auto binary =
        platform::parseBinaryPropertyList(platform::binaryPropertyList(*plist), error);
    if (!binary || !(*binary == *plist)) __builtin_trap();
    // Text from an XML list is text XML can hold: it goes back to XML the same way.
    if (bytes.rfind("bplist", 0) != 0) {
        const auto again = platform::parsePropertyList(platform::xmlPropertyList(*plist), error);
        if (!again || !(*again == *plist)) __builtin_trap();
    }
    return 0;
}
