#pragma once
// Running a tool as a child process with a time limit: system_profiler can hang on a busy
// machine, and the program waits for it on the main thread.

#include <optional>
#include <string>
#include <vector>

namespace mac {

// What the tool wrote to its standard output; none when it cannot be started, or when it has
// not ended within the limit (it is then killed and waited for).
std::optional<std::string> runToolWithin(const std::string& path,
                                         const std::vector<std::string>& arguments, double seconds);

} // namespace mac
