#pragma once
// Running a tool as a child process with a time limit: system_profiler can hang on a busy
// machine, and the program waits for it on the main thread.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace mac {

// The tools asked print a few kilobytes: one that goes on is stopped.
inline constexpr size_t kMaxToolOutput = 1024 * 1024;

// What the tool wrote to its standard output; none when it cannot be started, or when it has
// not ended within the limit or printed more than kMaxToolOutput (it is then killed and waited
// for).
std::optional<std::string> runToolWithin(const std::string& path,
                                         const std::vector<std::string>& arguments, double seconds);

} // namespace mac
