#include "power/HelperFiles.h"

#include "helper/FolderAccess.h"

#include "platform/Platform.h"
#include "platform/SystemLog.h"
#include "platform/SystemPaths.h"

namespace power {

namespace {

// The helper's folder, from the system's root without following a link, as the helper opens it.
// On a Mac every folder on the way must be one the helper trusts too: a limit beneath another
// user's folder is not the one it enforces.
helper::SafeDirectory helperFolder() {
    const std::string& root = platform::current().paths->root();
    if (!root.empty()) return helper::SafeDirectory(root, kHelperFolder);
    std::string error;
    const int fd =
        helper::openFolderBeneath("/", kHelperFolder, false, error, helper::trustedFolder);
    return helper::SafeDirectory(fd, error);
}

// Content the helper refuses is said by the card's own words; a file it cannot read by why.
template <typename File>
void logRefusal(const File& file, const char* systemPath, std::string& lastRefusal) {
    if (file.state != File::State::refused) {
        lastRefusal.clear();
        return;
    }
    if (file.seen == lastRefusal) return;
    lastRefusal = file.seen;
    if (file.seen == file.problem) {
        platform::logf("Nightlid: %s is not read: %s", systemPath, file.problem.c_str());
        return;
    }
    std::string shown;
    for (unsigned char c : file.seen.substr(0, 16))
        shown += c >= 0x20 && c < 0x7F ? char(c) : '?';
    const bool limit = std::string(systemPath) == kLimitFile;
    platform::logf("Nightlid: the %s file holds \"%s%s\", which the helper does not enforce; %s",
                   limit ? "limit" : "calibration", shown.c_str(),
                   file.seen.size() > 16 ? "..." : "",
                   limit ? "the charge limit is off" : "no calibration runs");
}

} // namespace

helper::LimitFile readLimitFile(std::string& lastRefusal) {
    const auto folder = helperFolder();
    // No folder yet: the helper is not installed, there is no limit.
    if (!folder.isOpen()) return {};
    auto file = helper::readLimitFile(folder);
    logRefusal(file, kLimitFile, lastRefusal);
    return file;
}

helper::CalibrationFile readCalibrationFile(std::string& lastRefusal) {
    const auto folder = helperFolder();
    if (!folder.isOpen()) return {};
    auto file = helper::readCalibrationFile(folder);
    logRefusal(file, kCalibrationFile, lastRefusal);
    return file;
}

std::optional<helper::ChargingControl> readChargingControl() {
    const auto folder = helperFolder();
    if (!folder.isOpen()) return std::nullopt;
    return helper::readChargingControlFile(folder);
}

} // namespace power
