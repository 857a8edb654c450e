#pragma once
// One snapshot of the laptop's power state, and the reading of the system profiler's output.

#include <optional>
#include <string>

struct PowerStatus {
    bool isConnected = false;
    bool isDrawingFromAC = false;
    std::optional<int> watts;
    bool isCharging = false;
    int percent = 100;
    int cycleCount = 0;
    std::string condition = "정상"; // "정상", "교체 필요" or "확인 필요"
    int healthPercent = 100;
};

// The number on the first "Maximum Capacity:" line ("87%" gives 87); 0 when there is none
// or it is no number.
int maximumCapacityFromProfilerOutput(const std::string& output);
