#include "helper/SafeFiles.h"

#include "platform/OutsideFiles.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace helper {

namespace {

std::string reason() {
    return std::strerror(errno);
}

} // namespace

int openFolderBeneath(const std::string& root, const std::string& beneath, bool create,
                      std::string& error, const FolderCheck& check) {
    std::string path = root.empty() ? "/" : root;
    int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        error = path + " cannot be opened: " + reason();
        return -1;
    }
    auto trusted = [&](int dir) {
        if (!check) return true;
        struct stat st {};
        if (::fstat(dir, &st) != 0) {
            error = path + " cannot be examined: " + reason();
            return false;
        }
        return check(path, st, error);
    };
    if (!trusted(fd)) {
        ::close(fd);
        return -1;
    }
    size_t at = 0;
    while (at <= beneath.size()) {
        size_t end = beneath.find('/', at);
        if (end == std::string::npos) end = beneath.size();
        const std::string name = beneath.substr(at, end - at);
        at = end + 1;
        if (name.empty() || name == ".") continue;
        path += (path.back() == '/' ? "" : "/") + name;
        if (name == "..") {
            error = path + " leaves the folder it is under";
            ::close(fd);
            return -1;
        }
        int next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0 && errno == ENOENT && create) {
            if (::mkdirat(fd, name.c_str(), 0755) != 0 && errno != EEXIST) {
                error = path + " cannot be created: " + reason();
                ::close(fd);
                return -1;
            }
            next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        }
        if (next < 0) {
            const std::string why = reason();
            struct stat st {};
            if (::fstatat(fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode))
                error = path + " is a symbolic link, which is not followed";
            else if (::fstatat(fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                     !S_ISDIR(st.st_mode))
                error = path + " is not a folder";
            else
                error = path + " cannot be opened: " + why;
            ::close(fd);
            return -1;
        }
        ::close(fd);
        fd = next;
        if (!trusted(fd)) {
            ::close(fd);
            return -1;
        }
    }
    return fd;
}

SafeDirectory::SafeDirectory(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd_ < 0) openError_ = path + " cannot be opened: " + reason();
}

SafeDirectory::SafeDirectory(const std::string& root, const std::string& beneath) {
    fd_ = openFolderBeneath(root, beneath, false, openError_);
}

SafeDirectory::~SafeDirectory() {
    if (fd_ >= 0) ::close(fd_);
}

std::optional<std::string> SafeDirectory::read(const std::string& name, size_t maxBytes,
                                               std::string& error) const {
    error.clear();
    if (fd_ < 0) {
        error = "the directory cannot be opened";
        return std::nullopt;
    }
    if (name.empty() || name.find('/') != std::string::npos) {
        error = name + " is not a name in the directory";
        return std::nullopt;
    }
    // Never through a link, never a FIFO waited on, never another file's second name.
    platform::OutsideFileRules rules;
    rules.maxBytes = maxBytes;
    rules.followLinks = false;
    rules.refuseHardLinks = true;
    auto file = platform::readOutsideFile(fd_, name, rules);
    if (file.ok()) return std::move(file.bytes);
    if (file.status != platform::OutsideFile::Status::missing) error = name + " " + file.problem;
    return std::nullopt;
}

bool SafeDirectory::write(const std::string& name, const std::string& text, std::string& error,
                          std::optional<uid_t> owner) const {
    error.clear();
    if (fd_ < 0) {
        error = "the directory cannot be opened";
        return false;
    }
    static std::mt19937_64 random{std::random_device{}()};
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temporary = "." + name + "." + std::to_string(random() % 1000000000000ull) + ".tmp";
        fd = ::openat(fd_, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                      0644);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        error = "no temporary file for " + name + ": " + reason();
        return false;
    }
    bool ok = true;
    for (size_t done = 0; ok && done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0)
            ok = false;
        else
            done += size_t(n);
    }
    // The mode is set, not left to the umask; the owner is given before anyone can see the name.
    if (ok && ::fchmod(fd, 0644) != 0) ok = false;
    if (ok && owner && ::fchown(fd, *owner, gid_t(-1)) != 0) ok = false;
    if (ok && ::fsync(fd) != 0) ok = false;
    if (!ok) error = "cannot write " + name + ": " + reason();
    ::close(fd);
    // The rename replaces the directory entry: a link planted there is replaced, never followed.
    if (ok && ::renameat(fd_, temporary.c_str(), fd_, name.c_str()) != 0) {
        error = "cannot replace " + name + ": " + reason();
        ok = false;
    }
    if (!ok) ::unlinkat(fd_, temporary.c_str(), 0);
    return ok;
}

bool moveAsideWhatIsNotAFolder(const std::string& root, const std::string& beneath,
                               const FolderCheck& check, std::string& moved, std::string& error) {
    moved.clear();
    const auto slash = beneath.find_last_of('/');
    const std::string above = slash == std::string::npos ? "" : beneath.substr(0, slash);
    const std::string name = slash == std::string::npos ? beneath : beneath.substr(slash + 1);
    if (name.empty() || name == "." || name == "..") return true; // the opening says what is wrong
    std::string why;
    const int parent = openFolderBeneath(root, above, false, why, check);
    if (parent < 0) return true; // the opening says why
    const SafeDirectory dir(parent);
    struct stat st {};
    if (::fstatat(dir.fd(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || S_ISDIR(st.st_mode))
        return true;
    const auto aside = dir.moveAside(name, error);
    if (!aside) return false;
    moved = beneath + " was " + (S_ISLNK(st.st_mode) ? "a symbolic link" : "not a folder") +
            ", moved aside to " + *aside;
    return true;
}

std::optional<std::string> SafeDirectory::moveAside(const std::string& name,
                                                    std::string& error) const {
    static std::mt19937_64 random{std::random_device{}()};
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::string aside =
            "." + name + ".aside-" + std::to_string(random() % 1000000000000ull);
        // RENAME_NOREPLACE is not everywhere: a name taken meanwhile is looked at first.
        struct stat st {};
        if (::fstatat(fd_, aside.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) continue;
        if (::renameat(fd_, name.c_str(), fd_, aside.c_str()) == 0) return aside;
        error = name + " cannot be moved aside: " + reason();
        return std::nullopt;
    }
    error = name + " cannot be moved aside: no free name";
    return std::nullopt;
}

bool SafeDirectory::overwrite(const std::string& name, const std::string& text,
                              std::string& error) const {
    error.clear();
    if (fd_ < 0) {
        error = "the directory cannot be opened";
        return false;
    }
    const int fd = ::openat(fd_, name.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = name + " cannot be opened: " + reason();
        return false;
    }
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (!ok) error = name + " is not a regular file";
    // A second name would carry the write to another file, and the helper would refuse it.
    if (ok && st.st_nlink > 1) {
        error = name + " has " + std::to_string(st.st_nlink) + " names (a hard link)";
        ok = false;
    }
    if (ok && ::ftruncate(fd, 0) != 0) {
        error = "cannot empty " + name + ": " + reason();
        ok = false;
    }
    for (size_t done = 0; ok && done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = "cannot write " + name + ": " + reason();
            ok = false;
        } else {
            done += size_t(n);
        }
    }
    if (ok && ::fsync(fd) != 0) {
        error = "cannot write " + name + ": " + reason();
        ok = false;
    }
    ::close(fd);
    return ok;
}

} // namespace helper
