#pragma once
// A tool run as a child process, its output read as it comes: never longer than a time limit,
// never more output kept than a size limit (a tool that goes on is killed and waited for).

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace platform {

struct ToolResult {
    // What the tool wrote to its standard output; none when it could not be started, ended
    // abnormally or was stopped.
    std::optional<std::string> output;
    // Why it was stopped ("printed more than 1 MiB"); empty when it was not.
    std::string stopped;
};

ToolResult runBoundedTool(const std::string& path, const std::vector<std::string>& arguments,
                          double seconds, size_t maxBytes);

} // namespace platform
