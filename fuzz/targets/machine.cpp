// The machine description (--machine FILE): JSON and its validation.

#include "platform/sim/VirtualMac.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string error;
    const auto machine =
        sim::VirtualMac::parse(std::string(reinterpret_cast<const char*>(data), size), &error);
    // A refusal always says what is wrong.
    if (!machine && error.empty()) __builtin_trap();
    return 0;
}
