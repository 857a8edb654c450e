#include "helper/SafeFiles.h"

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

SafeDirectory::SafeDirectory(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
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
    // Non-blocking: a planted FIFO must not hang the helper.
    const int fd = ::openat(fd_, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT) error = name + " cannot be opened: " + reason();
        return std::nullopt;
    }
    struct stat st {};
    std::string content;
    if (::fstat(fd, &st) != 0) {
        error = name + " cannot be examined: " + reason();
    } else if (!S_ISREG(st.st_mode)) {
        error = name + " is not a regular file";
    } else if (size_t(st.st_size) > maxBytes) {
        error = name + " is " + std::to_string(st.st_size) + " bytes long; at most " +
                std::to_string(maxBytes) + " are read";
    } else {
        char buffer[256];
        for (;;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                error = name + " cannot be read: " + reason();
                break;
            }
            if (n == 0) break;
            content.append(buffer, size_t(n));
            if (content.size() > maxBytes) {
                error = name + " grew past " + std::to_string(maxBytes) + " bytes while read";
                break;
            }
        }
    }
    ::close(fd);
    if (!error.empty()) return std::nullopt;
    return content;
}

bool SafeDirectory::write(const std::string& name, const std::string& text,
                          std::string& error) const {
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
