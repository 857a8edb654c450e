#pragma once

#include <cstdint>
#include <vector>

// A display's transfer table as it was before it was blacked out.
struct GammaTable {
    std::vector<float> red;
    std::vector<float> green;
    std::vector<float> blue;
    uint32_t sampleCount = 0;
};
