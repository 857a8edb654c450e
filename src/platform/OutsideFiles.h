#pragma once
// The one way the program and its helper read a file that comes from outside (settings, the
// virtual hardware, machine descriptions, scripts, the helper's files): never more than a limit,
// never waiting on a FIFO or a device (a pipe, where one is legitimate, for a limited time), and
// a file that cannot be used set aside with at most its first megabytes copied. Plain C++ and
// POSIX: the helper links it too.

#include <cstddef>
#include <optional>
#include <string>

namespace platform {

struct OutsideFileRules {
    size_t maxBytes = 1024 * 1024;
    // Above zero, a pipe or FIFO is read until its writer closes it, giving up after this many
    // seconds without data (or four times as long in all). Zero: a pipe is refused.
    double pipeSeconds = 0;
    // false: the name itself may not be a symbolic link.
    bool followLinks = true;
    // A regular file with more than one name could be another file's content.
    bool refuseHardLinks = false;
};

struct OutsideFile {
    enum class Status {
        read,       // bytes holds the whole content
        missing,    // nothing by that name
        refused,    // not a regular file (or a pipe where one is allowed), a link, a hard link
        tooLarge,   // longer than the limit
        timedOut,   // a pipe whose writer neither wrote nor closed it in time
        unreadable, // the system said no (permissions, input/output error)
    };
    Status status = Status::missing;
    std::string bytes;
    // Why it was not read, to follow the file's name in a message ("is a FIFO (named pipe)").
    std::string problem;
    bool ok() const { return status == Status::read; }
};

// path is taken relative to the open folder dirFd (AT_FDCWD: the current folder).
OutsideFile readOutsideFile(int dirFd, const std::string& path, const OutsideFileRules& rules);
OutsideFile readOutsideFile(const std::string& path, const OutsideFileRules& rules);

// "4 MiB", "64 KiB", "65 bytes": the sizes messages name.
std::string sizeText(unsigned long long bytes);

// How long a pipe given as an input file (--script <(...), --machine <(...)) may send nothing
// before it is given up.
inline constexpr double kPipeSeconds = 5;

// How many bytes of a file set aside are copied at most.
inline constexpr size_t kSetAsideCopyBytes = 4 * 1024 * 1024;

// Moves a file the program cannot use out of its way, beside it as PATH.SUFFIX-STAMP (a number
// added when that exists): a link, a FIFO or a device is moved itself (nothing is opened or
// followed), a regular file up to kSetAsideCopyBytes is renamed whole, and a longer one leaves
// a copy of its first kSetAsideCopyBytes and is removed. A folder is never moved. Returns where it
// went; none with the reason when it could not be moved.
std::optional<std::string> setAsideOutsideFile(const std::string& path, const std::string& suffix,
                                               std::string& error);

// A copy of at most the first maxBytes of a file (read as readOutsideFile reads, never waiting),
// created fresh at copyPath. False with the reason.
bool copyOutsideFilePrefix(const std::string& path, const std::string& copyPath, size_t maxBytes,
                           std::string& error);

// Writes bytes whole as path: a fresh file beside it, created exclusively and never through a
// link, flushed and renamed over the name, so a reader meets the old content or the new one. The
// name must be missing or a regular file: a symbolic link is not followed, a FIFO or a device is
// never opened, a folder never replaced; false with the reason ("PATH is a FIFO (named pipe), not
// a file"). mode < 0: a file replaced keeps its permissions, a new one gets 0644. Unsynced: not
// waited onto the disk before the rename, for a file that goes with its folder when the run ends.
enum class Durability { synced, unsynced };
bool writeOutsideFile(const std::string& path, const std::string& bytes, std::string& error,
                      int mode = -1, Durability durability = Durability::synced);

// Adds bytes at the end of path when it is a regular file, never following a link nor waiting on
// a FIFO. False when it is missing (error left empty) or refused (error says why).
bool appendToOutsideFile(const std::string& path, const std::string& bytes, std::string& error);

// A regular file of at most maxBytes, read as readOutsideFile reads it, written as
// writeOutsideFile writes.
bool copyOutsideFile(const std::string& from, const std::string& to, size_t maxBytes, int mode,
                     std::string& error);

} // namespace platform
