#pragma once
// File access for a process that runs as root in a directory its user can write to: nothing
// is followed through a symbolic link, only regular files are read, and every write goes to a
// fresh file created exclusively in the directory and renamed over the target, so a planted
// link or hard link never redirects a write. Plain C++ and POSIX.

#include <optional>
#include <string>

namespace helper {

class SafeDirectory {
  public:
    // Opens the directory itself without following a link; invalid when that fails.
    explicit SafeDirectory(const std::string& path);
    ~SafeDirectory();
    SafeDirectory(const SafeDirectory&) = delete;
    SafeDirectory& operator=(const SafeDirectory&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    // A regular file's whole content, if it is at most maxBytes long; none when missing.
    // error is set when the file exists but cannot be used (a link, not a regular file, too
    // long, unreadable).
    std::optional<std::string> read(const std::string& name, size_t maxBytes,
                                    std::string& error) const;
    // Replaces the entry called name with a new regular file holding text.
    bool write(const std::string& name, const std::string& text, std::string& error) const;
    // Rewrites an existing regular file in place, for a user who owns the file but not the
    // directory. A reader may meet the file empty for an instant.
    bool overwrite(const std::string& name, const std::string& text, std::string& error) const;

  private:
    int fd_ = -1;
};

} // namespace helper
