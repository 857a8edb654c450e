#pragma once
// Who may write the helper's folder. Root owns the folder (mode 0755), so nobody else can
// plant, rename or remove entries in it; the console user owns the limit and calibration files
// (mode 0644), so the user's program can rewrite them in place and nothing else. The helper
// makes it so at every tick: it creates what is missing and hands a root-owned file back to the
// user after it rewrote it itself.

#include <functional>
#include <memory>
#include <string>
#include <sys/types.h>

namespace helper {

class FolderAccess {
  public:
    virtual ~FolderAccess() = default;
    // false with the reason when the folder could not be made ready.
    virtual bool prepare(std::string& error) = 0;
};

// The files the program writes, with the content that means "nothing asked".
inline constexpr const char* kLimitFileName = "limit.txt";
inline constexpr const char* kCalibrationFileName = "calibration.txt";
inline constexpr const char* kNeutralLimit = "0";
inline constexpr const char* kNeutralCalibration = "inactive";

// Real ownership on this machine: the files go to the user logged in at the console (the owner
// of /dev/console); while nobody is (uid 0), they stay with root until someone logs in.
// consoleUser, when given, replaces that lookup.
std::unique_ptr<FolderAccess> makeHostFolderAccess(std::string folder,
                                                   std::function<uid_t()> consoleUser = {});

} // namespace helper
