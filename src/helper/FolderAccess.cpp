#include "helper/FolderAccess.h"

#include "helper/HelperFileFormat.h"
#include "helper/SafeFiles.h"
#include "platform/OutsideFiles.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace helper {

std::optional<std::string> keptContent(const std::string& name, const std::string& content) {
    std::string error;
    if (name == kLimitFileName) {
        if (auto limit = parseLimit(content, error)) return std::to_string(*limit);
    } else if (name == kCalibrationFileName) {
        if (auto state = parseCalibration(content, error)) return formatCalibration(*state);
    }
    return std::nullopt;
}

namespace {

std::string reason() {
    return std::strerror(errno);
}

} // namespace

// A folder on the way to the helper's: root's (or this process's user's), and nobody else may
// rename or replace what is in it. /tmp's sticky bit keeps others from renaming entries.
bool trustedFolder(const std::string& path, const struct stat& st, std::string& error) {
    if (st.st_uid != 0 && st.st_uid != ::geteuid()) {
        error = path + " belongs to uid " + std::to_string(st.st_uid) +
                "; the helper's folder is not made ready beneath it";
        return false;
    }
    if ((st.st_mode & (S_IWGRP | S_IWOTH)) && !(st.st_mode & S_ISVTX)) {
        error =
            path + " may be written by others; the helper's folder is not made ready beneath it";
        return false;
    }
    return true;
}

namespace {

// Why an entry is not exactly the user's own file; empty when it is.
std::string mismatch(const struct stat& st, uid_t user) {
    if (S_ISLNK(st.st_mode)) return "it was a symbolic link";
    if (S_ISDIR(st.st_mode)) return "it was a folder, moved aside";
    if (!S_ISREG(st.st_mode)) return "it was not a regular file";
    if (st.st_nlink != 1) return "it had " + std::to_string(st.st_nlink) + " names (a hard link)";
    if (st.st_uid != user) return "it belonged to uid " + std::to_string(st.st_uid);
    if ((st.st_mode & 07777) != 0644)
        return "it had mode " + [&] {
            char text[8];
            std::snprintf(text, sizeof text, "%o", unsigned(st.st_mode & 07777));
            return std::string(text);
        }();
    return {};
}

class HostFolderAccess : public FolderAccess {
  public:
    HostFolderAccess(std::string folder, std::function<uid_t()> consoleUser)
        : folder_(std::move(folder)), consoleUser_(std::move(consoleUser)) {}

    bool prepare(std::string& error, const Note& note) override {
        if (!clearFolderName(error, note)) return false;
        const int dir = openFolder(error);
        if (dir < 0) return false;
        const uid_t user = consoleUser();
        bool ok = true;
        for (auto [file, neutral] : {std::pair{kLimitFileName, kNeutralLimit},
                                     std::pair{kCalibrationFileName, kNeutralCalibration}})
            ok = prepareFile(dir, file, neutral, user, error, note) && ok;
        ::close(dir);
        return ok;
    }

    bool replace(const std::string& name, const std::string& text, std::string& error) override {
        const int fd = openFolder(error);
        if (fd < 0) return false;
        const bool ok = writeFresh(fd, name, text, consoleUser(), error);
        ::close(fd);
        return ok;
    }

    int open(std::string& error) override { return openFolder(error); }

  private:
    uid_t consoleUser() const {
        if (consoleUser_) return consoleUser_();
        struct stat st {};
        return ::stat("/dev/console", &st) == 0 ? st.st_uid : 0;
    }

    bool clearFolderName(std::string& error, const Note& note) const {
        std::string moved;
        if (!moveAsideWhatIsNotAFolder("/", folder_, trustedFolder, moved, error)) return false;
        if (!moved.empty()) note(moved);
        return true;
    }

    // The folder, made when missing, root's with mode 0755; every folder above it walked from /
    // without following a link and trusted. A descriptor, or -1 with the reason.
    int openFolder(std::string& error) const {
        if (folder_.size() < 2 || folder_[0] != '/' || folder_.back() == '/') {
            error = folder_ + " is not an absolute folder path";
            return -1;
        }
        // The folder itself may be found in any state: it is made root's below.
        const int dir = openFolderBeneath(
            "/", folder_, true, error,
            [this](const std::string& path, const struct stat& st, std::string& why) {
                return path == folder_ || trustedFolder(path, st, why);
            });
        if (dir < 0) return -1;
        struct stat st {};
        bool ok = ::fstat(dir, &st) == 0;
        if (!ok) error = folder_ + " cannot be examined: " + reason();
        // Root's alone: nobody else may plant, rename or remove an entry in it.
        if (ok && (st.st_uid != 0 || st.st_gid != 0) && ::fchown(dir, 0, 0) != 0) {
            error = folder_ + " cannot be given to root: " + reason();
            ok = false;
        }
        if (ok && (st.st_mode & 07777) != 0755 && ::fchmod(dir, 0755) != 0) {
            error = folder_ + " cannot be given mode 755: " + reason();
            ok = false;
        }
        if (!ok) {
            ::close(dir);
            return -1;
        }
        return dir;
    }

    static bool moveAside(int dir, const char* name, std::string& error) {
        const int copy = ::fcntl(dir, F_DUPFD_CLOEXEC, 0);
        if (copy < 0) {
            error = std::string(name) + " cannot be moved aside: " + reason();
            return false;
        }
        const SafeDirectory folder(copy);
        return folder.moveAside(name, error).has_value();
    }

    static bool writeFresh(int dir, const std::string& name, const std::string& text, uid_t user,
                           std::string& error) {
        // A descriptor of our own for SafeDirectory, which closes what it holds.
        const int copy = ::fcntl(dir, F_DUPFD_CLOEXEC, 0);
        if (copy < 0) {
            error = name + " cannot be written: " + reason();
            return false;
        }
        const SafeDirectory folder(copy);
        return folder.write(name, text, error, user);
    }

    bool prepareFile(int dir, const char* name, const char* neutral, uid_t user, std::string& error,
                     const Note& note) const {
        struct stat st {};
        if (::fstatat(dir, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT) {
                error = folder_ + "/" + name + " cannot be examined: " + reason();
                return false;
            }
            return writeFresh(dir, name, neutral, user, error);
        }
        const std::string why = mismatch(st, user);
        if (why.empty()) return true;
        // A folder cannot be renamed over: it goes aside as it is, nothing in it opened.
        if (S_ISDIR(st.st_mode) && !moveAside(dir, name, error)) return false;
        // Never handed over as it is: the helper's own file takes the name. What it said is kept
        // only when it is a line either side could have written, read without following
        // anything; a hard link's content is never read (it may be a file only root could read).
        std::string content = neutral;
        if (S_ISREG(st.st_mode) && st.st_nlink == 1) {
            platform::OutsideFileRules rules;
            rules.maxBytes = kMaxHelperFileBytes;
            rules.followLinks = false;
            rules.refuseHardLinks = true;
            const auto file = platform::readOutsideFile(dir, name, rules);
            if (file.ok())
                if (auto kept = keptContent(name, file.bytes)) content = *kept;
        }
        if (!writeFresh(dir, name, content, user, error)) return false;
        note(std::string(name) + " made anew for uid " + std::to_string(user) + " (" + why + ")");
        return true;
    }

    std::string folder_;
    std::function<uid_t()> consoleUser_;
};

} // namespace

std::unique_ptr<FolderAccess> makeHostFolderAccess(std::string folder,
                                                   std::function<uid_t()> consoleUser) {
    return std::make_unique<HostFolderAccess>(std::move(folder), std::move(consoleUser));
}

} // namespace helper
