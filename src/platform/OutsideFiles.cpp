#include "platform/OutsideFiles.h"

#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <functional>
#include <random>

namespace platform {

namespace {

constexpr size_t kChunk = 64 * 1024;

OutsideFile outcome(OutsideFile::Status status, std::string problem = {}) {
    OutsideFile file;
    file.status = status;
    file.problem = std::move(problem);
    return file;
}

std::string reason() {
    return std::strerror(errno);
}

std::string seconds(double value) {
    const long tenths = std::lround(value * 10);
    return std::to_string(tenths / 10) + (tenths % 10 ? "." + std::to_string(tenths % 10) : "") +
           " s";
}

class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    void reset(int fd) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }

  private:
    int fd_;
};

// Why a file of this kind and size is not read, judged before it is opened (opening a device
// can already do something) and again on what was opened.
std::optional<OutsideFile> unusable(const struct stat& st, const OutsideFileRules& rules) {
    using Status = OutsideFile::Status;
    if (S_ISLNK(st.st_mode)) return outcome(Status::refused, "is a symbolic link");
    if (S_ISDIR(st.st_mode)) return outcome(Status::refused, "is a folder");
    if (S_ISCHR(st.st_mode)) return outcome(Status::refused, "is a character device");
    if (S_ISBLK(st.st_mode)) return outcome(Status::refused, "is a block device");
    if (S_ISSOCK(st.st_mode)) return outcome(Status::refused, "is a socket");
    if (S_ISFIFO(st.st_mode)) {
        if (rules.pipeSeconds > 0) return std::nullopt;
        return outcome(Status::refused, "is a FIFO (named pipe), not a file");
    }
    if (!S_ISREG(st.st_mode)) return outcome(Status::refused, "is not a regular file");
    if (rules.refuseHardLinks && st.st_nlink > 1)
        return outcome(Status::refused, "has " + std::to_string(st.st_nlink) +
                                            " names (a hard link), so it may be another file");
    if (st.st_size > 0 && static_cast<unsigned long long>(st.st_size) > rules.maxBytes)
        return outcome(Status::tooLarge, "is " + sizeText(st.st_size) + " long; at most " +
                                             sizeText(rules.maxBytes) + " is read");
    return std::nullopt;
}

OutsideFile tooLong(size_t maxBytes) {
    return outcome(OutsideFile::Status::tooLarge, "is longer than " + sizeText(maxBytes) +
                                                      "; at most " + sizeText(maxBytes) +
                                                      " is read");
}

// A regular file (or what the system shows as one, as /proc's are with no size) to its end.
OutsideFile readToEnd(int fd, size_t maxBytes) {
    OutsideFile file = outcome(OutsideFile::Status::read);
    // Read straight into room for what the file says it holds (one byte more to see its end): a
    // buffer grown chunk by chunk copied a large file over and over, each time into fresh pages.
    const size_t limit = maxBytes == SIZE_MAX ? maxBytes : maxBytes + 1;
    struct stat status {};
    size_t room = kChunk;
    if (::fstat(fd, &status) == 0 && status.st_size > 0)
        room = std::max(room, std::min(size_t(status.st_size) + 1, limit));
    size_t used = 0;
    file.bytes.resize(room);
    for (;;) {
        // A file that grew while it was read takes more room.
        if (used == file.bytes.size()) file.bytes.resize(std::min(2 * used, limit));
        const ssize_t n = ::read(fd, file.bytes.data() + used, file.bytes.size() - used);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return outcome(OutsideFile::Status::unreadable, "cannot be read: " + reason());
        if (n == 0) break;
        used += size_t(n);
        if (used > maxBytes) return tooLong(maxBytes);
    }
    file.bytes.resize(used);
    return file;
}

// A pipe until its writer closes it: never waiting on it for longer than the rules allow.
OutsideFile readPipe(int fd, const OutsideFileRules& rules) {
    using Clock = std::chrono::steady_clock;
    const auto quiet = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(rules.pipeSeconds));
    const auto start = Clock::now();
    auto lastData = start;
    OutsideFile file = outcome(OutsideFile::Status::read);
    char buffer[kChunk];
    for (;;) {
        const auto now = Clock::now();
        if (now >= start + 4 * quiet)
            return outcome(OutsideFile::Status::timedOut, "is a pipe that was not closed within " +
                                                              seconds(4 * rules.pipeSeconds));
        if (now >= lastData + quiet)
            return outcome(OutsideFile::Status::timedOut,
                           "is a pipe whose writer sent nothing for " + seconds(rules.pipeSeconds) +
                               " and did not close it");
        const auto deadline = std::min(lastData + quiet, start + 4 * quiet);
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count() + 1;
        struct pollfd p {
            fd, POLLIN, 0
        };
        const int ready = ::poll(&p, 1, int(std::min<long long>(left, 1000)));
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0)
            return outcome(OutsideFile::Status::unreadable, "cannot be read: " + reason());
        if (ready == 0) continue;
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) continue;
        if (n < 0) return outcome(OutsideFile::Status::unreadable, "cannot be read: " + reason());
        if (n == 0) return file;
        lastData = Clock::now();
        file.bytes.append(buffer, size_t(n));
        if (file.bytes.size() > rules.maxBytes) return tooLong(rules.maxBytes);
    }
}

std::string stamp() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    ::gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d%H%M%S", &utc);
    return text;
}

// What is at a name that is about to be written over; none when it may be (missing or a regular
// file).
std::optional<std::string> notWritable(const struct stat& st) {
    if (S_ISREG(st.st_mode)) return std::nullopt;
    if (S_ISLNK(st.st_mode)) return "is a symbolic link, which is not followed";
    if (S_ISFIFO(st.st_mode)) return "is a FIFO (named pipe), not a file";
    OutsideFileRules none;
    if (auto refused = unusable(st, none)) return refused->problem;
    return "is not a regular file";
}

bool writeAll(int fd, std::string_view bytes) {
    for (size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        done += size_t(n);
    }
    return true;
}

bool exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

} // namespace

std::string sizeText(unsigned long long bytes) {
    constexpr unsigned long long KiB = 1024, MiB = KiB * 1024, GiB = MiB * 1024;
    auto scaled = [&](unsigned long long unit, const char* name) {
        const unsigned long long tenths = (bytes * 10 + unit / 2) / unit;
        std::string text = std::to_string(tenths / 10);
        if (tenths % 10 != 0) text += "." + std::to_string(tenths % 10);
        return text + " " + name;
    };
    if (bytes >= GiB) return scaled(GiB, "GiB");
    if (bytes >= MiB) return scaled(MiB, "MiB");
    if (bytes >= 10 * KiB) return scaled(KiB, "KiB");
    return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
}

namespace {

// Opens what readOutsideFile reads: none, with the outcome, when it may not or cannot be.
std::optional<OutsideFile> openChecked(int dirFd, const std::string& path,
                                       const OutsideFileRules& rules, Descriptor& fd,
                                       struct stat& opened) {
    using Status = OutsideFile::Status;
    struct stat before {};
    if (::fstatat(dirFd, path.c_str(), &before, rules.followLinks ? 0 : AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT) return outcome(Status::missing);
        if (errno == ELOOP) return outcome(Status::refused, "is a loop of symbolic links");
        return outcome(Status::unreadable, "cannot be examined: " + reason());
    }
    if (auto refused = unusable(before, rules)) return *refused;
    fd.reset(::openat(dirFd, path.c_str(),
                      O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC |
                          (rules.followLinks ? 0 : O_NOFOLLOW)));
    if (fd.get() < 0) {
        if (errno == ENOENT) return outcome(Status::missing);
        if (errno == ELOOP) return outcome(Status::refused, "is a symbolic link");
        return outcome(Status::unreadable, "cannot be opened: " + reason());
    }
    if (::fstat(fd.get(), &opened) != 0)
        return outcome(Status::unreadable, "cannot be examined: " + reason());
    // Swapped between the look and the open: judged by what was opened.
    if (opened.st_dev != before.st_dev || opened.st_ino != before.st_ino)
        return outcome(Status::refused, "changed while it was opened");
    if (auto refused = unusable(opened, rules)) return *refused;
    return std::nullopt;
}

// Up to limit bytes from one file to another, in the kernel where it can: a helper of megabytes
// read into memory and written out again cost the virtual Mac's start-up more than its window.
// The count copied, or none with errno set and readFailed saying which side failed.
std::optional<size_t> copyBytes(int from, int to, size_t limit, bool& readFailed) {
    size_t copied = 0;
#ifdef __linux__
    bool inKernel = true;
#else
    bool inKernel = false; // a Mac has no copy_file_range
#endif
    char buffer[kChunk];
    while (copied < limit) {
        const size_t want = std::min<size_t>(limit - copied, 1 << 30);
        ssize_t n = -1;
        if (inKernel) {
#ifdef __linux__
            n = ::copy_file_range(from, nullptr, to, nullptr, want, 0);
#endif
            if (n < 0 &&
                (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP ||
                 errno == EBADF) &&
                copied == 0) {
                inKernel = false;
                continue;
            }
        } else {
            n = ::read(from, buffer, std::min(want, sizeof buffer));
            readFailed = n < 0;
            if (n > 0 && !writeAll(to, std::string_view(buffer, size_t(n)))) return std::nullopt;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            // The kernel's copy says only that it failed: the side is found by reading.
            if (inKernel) {
                const int why = errno;
                char probe;
                readFailed = ::pread(from, &probe, 1, 0) < 0;
                errno = why;
            }
            return std::nullopt;
        }
        if (n == 0) break;
        copied += size_t(n);
    }
    return copied;
}

} // namespace

OutsideFile readOutsideFile(int dirFd, const std::string& path, const OutsideFileRules& rules) {
    Descriptor fd(-1);
    struct stat opened {};
    if (auto failed = openChecked(dirFd, path, rules, fd, opened)) return *failed;
    if (S_ISFIFO(opened.st_mode)) return readPipe(fd.get(), rules);
    return readToEnd(fd.get(), rules.maxBytes);
}

OutsideFile readOutsideFile(const std::string& path, const OutsideFileRules& rules) {
    return readOutsideFile(AT_FDCWD, path, rules);
}

bool copyOutsideFilePrefix(const std::string& path, const std::string& copyPath, size_t maxBytes,
                           std::string& error) {
    struct stat before {};
    if (::stat(path.c_str(), &before) != 0 || !S_ISREG(before.st_mode)) {
        error = path + " is not a regular file";
        return false;
    }
    const Descriptor from(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat opened {};
    if (from.get() < 0 || ::fstat(from.get(), &opened) != 0 || opened.st_ino != before.st_ino ||
        opened.st_dev != before.st_dev || !S_ISREG(opened.st_mode)) {
        error = path + " cannot be opened: " + reason();
        return false;
    }
    const Descriptor to(
        ::open(copyPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (to.get() < 0) {
        error = copyPath + " cannot be created: " + reason();
        return false;
    }
    bool readFailed = false;
    if (!copyBytes(from.get(), to.get(), maxBytes, readFailed)) {
        error = (readFailed ? path + " cannot be read: " : copyPath + " cannot be written: ") +
                reason();
        ::unlink(copyPath.c_str());
        return false;
    }
    return true;
}

std::optional<std::string> setAsideOutsideFile(const std::string& path, const std::string& suffix,
                                               std::string& error) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        error = path + " cannot be examined: " + reason();
        return std::nullopt;
    }
    if (S_ISDIR(st.st_mode)) {
        error = path + " is a folder";
        return std::nullopt;
    }
    const std::string base = path + "." + suffix + "-" + stamp();
    std::string aside = base;
    for (int n = 2; exists(aside); ++n)
        aside = base + "-" + std::to_string(n);
    // A link, a FIFO or a device moves as it is; a file of a sensible size moves whole.
    if (!S_ISREG(st.st_mode) || static_cast<unsigned long long>(st.st_size) <= kSetAsideCopyBytes) {
        if (::rename(path.c_str(), aside.c_str()) == 0) return aside;
        error = path + " cannot be moved aside: " + reason();
        return std::nullopt;
    }
    // An endless or huge file: its beginning is kept, not gigabytes.
    if (!copyOutsideFilePrefix(path, aside, kSetAsideCopyBytes, error)) return std::nullopt;
    if (::unlink(path.c_str()) != 0) {
        error = path + " cannot be removed: " + reason();
        ::unlink(aside.c_str());
        return std::nullopt;
    }
    return aside;
}

namespace {

// writeOutsideFile with the content written by `fill` into the fresh file; false from it leaves
// the name as it was, with error as fill set it or else the system's reason.
bool writeOutsideFileWith(const std::string& path, std::string& error, int mode,
                          const std::function<bool(int fd)>& fill,
                          Durability durability = Durability::synced) {
    const auto slash = path.find_last_of('/');
    const std::string folder =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty() || name == "." || name == "..") {
        error = path + " is not a file path";
        return false;
    }
    const Descriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() < 0) {
        error = path + " cannot be written: its folder cannot be opened: " + reason();
        return false;
    }
    struct stat st {};
    mode_t kept = mode >= 0 ? mode_t(mode) : 0644;
    if (::fstatat(dir.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        if (auto refused = notWritable(st)) {
            error = path + " " + *refused;
            return false;
        }
        if (mode < 0) kept = st.st_mode & 07777;
    } else if (errno != ENOENT) {
        error = path + " cannot be examined: " + reason();
        return false;
    }
    thread_local std::mt19937_64 random{std::random_device{}()};
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temporary = "." + name + "." + std::to_string(random() % 1000000000000ull) + ".tmp";
        fd = ::openat(dir.get(), temporary.c_str(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        error = path + " cannot be written: no temporary file beside it: " + reason();
        return false;
    }
    error.clear();
    bool ok = fill(fd) && ::fchmod(fd, kept) == 0 &&
              (durability == Durability::unsynced || ::fsync(fd) == 0);
    if (!ok && error.empty()) error = path + " cannot be written: " + reason();
    ::close(fd);
    // The rename replaces the entry itself: whatever took the name meanwhile is never followed.
    if (ok && ::renameat(dir.get(), temporary.c_str(), dir.get(), name.c_str()) != 0) {
        error = path + " cannot be replaced: " + reason();
        ok = false;
    }
    if (!ok) ::unlinkat(dir.get(), temporary.c_str(), 0);
    return ok;
}

} // namespace

bool writeOutsideFile(const std::string& path, const std::string& bytes, std::string& error,
                      int mode, Durability durability) {
    return writeOutsideFileWith(
        path, error, mode, [&](int fd) { return writeAll(fd, bytes); }, durability);
}

bool appendToOutsideFile(const std::string& path, const std::string& bytes, std::string& error) {
    error.clear();
    struct stat before {};
    if (::lstat(path.c_str(), &before) != 0) {
        if (errno != ENOENT) error = path + " cannot be examined: " + reason();
        return false;
    }
    if (auto refused = notWritable(before)) {
        error = path + " " + *refused;
        return false;
    }
    const Descriptor fd(
        ::open(path.c_str(), O_WRONLY | O_APPEND | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC));
    struct stat opened {};
    if (fd.get() < 0 || ::fstat(fd.get(), &opened) != 0) {
        if (errno == ENOENT) return false;
        error = path + " cannot be opened: " + reason();
        return false;
    }
    // Swapped between the look and the open: judged by what was opened.
    if (opened.st_dev != before.st_dev || opened.st_ino != before.st_ino ||
        !S_ISREG(opened.st_mode)) {
        error = path + " changed while it was opened";
        return false;
    }
    if (!writeAll(fd.get(), bytes)) {
        error = path + " cannot be written: " + reason();
        return false;
    }
    return true;
}

bool copyOutsideFile(const std::string& from, const std::string& to, size_t maxBytes, int mode,
                     std::string& error) {
    OutsideFileRules rules;
    rules.maxBytes = maxBytes;
    auto refused = [&](const OutsideFile& file) {
        error = from + " " +
                (file.status == OutsideFile::Status::missing ? "does not exist" : file.problem);
        return false;
    };
    Descriptor source(-1);
    struct stat opened {};
    if (auto failed = openChecked(AT_FDCWD, from, rules, source, opened)) return refused(*failed);
    if (S_ISFIFO(opened.st_mode)) {
        const auto file = readPipe(source.get(), rules);
        return file.ok() ? writeOutsideFile(to, file.bytes, error, mode) : refused(file);
    }
    const size_t limit = maxBytes == SIZE_MAX ? maxBytes : maxBytes + 1;
    return writeOutsideFileWith(to, error, mode, [&](int fd) {
        bool readFailed = false;
        const auto copied = copyBytes(source.get(), fd, limit, readFailed);
        if (!copied && readFailed)
            return refused(outcome(OutsideFile::Status::unreadable, "cannot be read: " + reason()));
        if (!copied) return false;
        return *copied > maxBytes ? refused(tooLong(maxBytes)) : true;
    });
}

} // namespace platform
