#pragma once
// IOKit's power sources and power assertions in memory: descriptions handed out as the system
// hands them out (the information and the list owned by the caller, each description owned by
// the information), a run loop that keeps the sources added to it, and the assertions made.

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <variant>
#include <vector>

namespace fakeps {

using Field = std::variant<int64_t, bool, std::string>;

struct Assertion {
    std::string type, name;
    uint32_t level = 0;
};

struct State {
    bool infoAvailable = true;
    bool listAvailable = true;
    bool notificationAvailable = true;
    std::vector<std::map<std::string, Field>> sources;
    std::set<size_t> undescribed; // sources the system lists but gives no description for
    int32_t assertionResult = 0;
    std::map<uint32_t, Assertion> assertions; // made and not released
};

State& state();
// Calls every power-source callback whose run-loop source is on the main run loop.
int notify();
// Drops the run loop's sources and starts again.
void reset();

} // namespace fakeps
