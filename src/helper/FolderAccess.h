#pragma once
// Who may write the helper's folder. Root owns the folder (mode 0755), so nobody else can
// plant, rename or remove entries in it; the user logged in at the console owns the limit and
// calibration files (mode 0644), so the user's program can rewrite them in place and nothing
// else. The helper makes it so at every tick, and never by handing over a file it finds: a file
// that is not exactly the console user's own (a link, a hard link, another user's, root's, a
// FIFO, another mode) is replaced by one the helper creates, keeping its content only when that
// is a valid limit or calibration line.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>

namespace helper {

class FolderAccess {
  public:
    using Note = std::function<void(const std::string&)>;
    virtual ~FolderAccess() = default;
    // false with the reason when the folder could not be made ready; note hears of every file
    // that was replaced, and why.
    virtual bool prepare(std::string& error, const Note& note) = 0;
    // The helper's own change of one of the two files: a fresh file, the console user's from the
    // moment it has the name.
    virtual bool replace(const std::string& name, const std::string& text, std::string& error) = 0;
    // The folder, opened the same checked way: every read and write of the helper goes through
    // it, so nothing is read or written beneath a folder it refused. A descriptor, or -1 with the
    // reason.
    virtual int open(std::string& error) = 0;
};

// The files the program writes, with the content that means "nothing asked".
inline constexpr const char* kLimitFileName = "limit.txt";
inline constexpr const char* kCalibrationFileName = "calibration.txt";
inline constexpr const char* kNeutralLimit = "0";
inline constexpr const char* kNeutralCalibration = "inactive";

// What may stay in place of one of the two files: content read (at most kMaxHelperFileBytes,
// never through a link) that is a valid line, rewritten plainly; none for anything else.
std::optional<std::string> keptContent(const std::string& name, const std::string& content);

// A folder on the way to the helper's folder may be trusted: root's (or this process's user's),
// and nobody else may rename or replace what is in it. false with the reason.
bool trustedFolder(const std::string& path, const struct stat& st, std::string& error);

// Real ownership on this machine: the files go to the user logged in at the console (the owner
// of /dev/console); while nobody is (uid 0), they are root's. folder is an absolute path, opened
// from / one folder at a time, never through a link, and only through folders that root (or
// this process's user) owns and nobody else may write. consoleUser, when given, replaces the
// lookup.
std::unique_ptr<FolderAccess> makeHostFolderAccess(std::string folder,
                                                   std::function<uid_t()> consoleUser = {});

} // namespace helper
