#pragma once
// System control values (sysctl) and, later, tools run as child processes.

#include <optional>
#include <string>

namespace platform {

class Processes {
  public:
    virtual ~Processes() = default;
    // A string value such as "hw.model": asked for its size first, then read; absent on failure.
    virtual std::optional<std::string> sysctlString(const std::string& name) = 0;
};

} // namespace platform
