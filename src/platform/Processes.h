#pragma once
// System control values (sysctl) and, later, tools run as child processes.

#include <optional>
#include <string>
#include <vector>

namespace platform {

class Processes {
  public:
    virtual ~Processes() = default;
    // A string value such as "hw.model": asked for its size first, then read; absent on failure.
    virtual std::optional<std::string> sysctlString(const std::string& name) = 0;
    // Runs a tool with its arguments as a child process, waits until it exits, and returns what
    // it wrote to its standard output; none when it cannot be run.
    virtual std::optional<std::string> runTool(const std::string& path,
                                               const std::vector<std::string>& arguments) = 0;
};

} // namespace platform
