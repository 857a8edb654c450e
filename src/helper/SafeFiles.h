#pragma once
// File access for a process that runs as root in a directory its user can write to: nothing
// is followed through a symbolic link, only regular files with one name are read, and every
// write goes to a fresh file created exclusively in the directory and renamed over the target,
// so a planted link or hard link never redirects a write. Plain C++ and POSIX.

#include <functional>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>

namespace helper {

// Whether a folder on the way may be trusted; false with the reason.
using FolderCheck = std::function<bool(const std::string& path, const struct stat&, std::string&)>;

// Opens root as it is (its caller chose it), then each folder of beneath ("a/b/c" or "/a/b/c")
// one at a time, never through a symbolic link. With create, missing folders are made with mode
// 0755. check, when given, judges root and every folder opened. A descriptor, or -1 with the
// reason.
int openFolderBeneath(const std::string& root, const std::string& beneath, bool create,
                      std::string& error, const FolderCheck& check = {});

// Something other than a folder at beneath's last name (a file, a link, a FIFO planted while the
// folder above could be written) would keep that folder from ever being made: it is moved aside
// as it is, within the folder above once that is opened and trusted as openFolderBeneath does.
// moved says what was done (empty when nothing was there to move); false with the reason when it
// could not be moved.
bool moveAsideWhatIsNotAFolder(const std::string& root, const std::string& beneath,
                               const FolderCheck& check, std::string& moved, std::string& error);

class SafeDirectory {
  public:
    // Opens the directory itself without following a link; invalid when that fails.
    explicit SafeDirectory(const std::string& path);
    // The folder beneath a trusted root, as openFolderBeneath opens it.
    SafeDirectory(const std::string& root, const std::string& beneath);
    // An open folder's descriptor, closed with this; -1 with why it could not be opened.
    explicit SafeDirectory(int fd, std::string openError = {})
        : fd_(fd), openError_(std::move(openError)) {}
    ~SafeDirectory();
    SafeDirectory(const SafeDirectory&) = delete;
    SafeDirectory& operator=(const SafeDirectory&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    // Why it could not be opened.
    const std::string& openError() const { return openError_; }
    // A regular file's whole content, if it is at most maxBytes long; none when missing.
    // error is set when the file exists but cannot be used (a link, a hard link, not a regular
    // file, too long, unreadable).
    std::optional<std::string> read(const std::string& name, size_t maxBytes,
                                    std::string& error) const;
    // Replaces the entry called name with a new regular file holding text (mode 0644), given
    // to owner before it takes the name when one is given.
    bool write(const std::string& name, const std::string& text, std::string& error,
               std::optional<uid_t> owner = std::nullopt) const;
    // Moves whatever is called name (a folder too) to a new hidden name in the same directory,
    // as it is: nothing in it is opened or followed. Where it went, or none with the reason.
    std::optional<std::string> moveAside(const std::string& name, std::string& error) const;
    // Rewrites an existing regular file in place, for a user who owns the file but not the
    // directory. A reader may meet the file empty for an instant.
    bool overwrite(const std::string& name, const std::string& text, std::string& error) const;

  private:
    int fd_ = -1;
    std::string openError_;
};

} // namespace helper
