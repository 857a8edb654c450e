#include "power/HelperFiles.h"

#include "helper/SafeFiles.h"
#include "platform/Platform.h"
#include "platform/SystemLog.h"
#include "platform/SystemPaths.h"

namespace power {

namespace {
// The helper's lines are a few dozen bytes; the program allows some room beyond.
constexpr size_t kMaxBytes = 4096;
} // namespace

std::optional<std::string> readHelperFile(const std::string& systemPath, std::string& lastRefusal) {
    const std::string path = platform::current().paths->map(systemPath);
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return std::nullopt;
    const helper::SafeDirectory folder(path.substr(0, slash));
    if (!folder.isOpen()) return std::nullopt;
    std::string error;
    auto text = folder.read(path.substr(slash + 1), kMaxBytes, error);
    if (!error.empty() && error != lastRefusal)
        platform::logf("Nightlid: %s is not read: %s", systemPath.c_str(), error.c_str());
    lastRefusal = error;
    return text;
}

} // namespace power
