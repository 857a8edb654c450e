#include "helper/FolderAccess.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace helper {

namespace {

class HostFolderAccess : public FolderAccess {
  public:
    HostFolderAccess(std::string folder, std::function<uid_t()> consoleUser)
        : folder_(std::move(folder)), consoleUser_(std::move(consoleUser)) {}

    bool prepare(std::string& error) override {
        const auto slash = folder_.find_last_of('/');
        if (slash == std::string::npos || slash + 1 == folder_.size()) {
            error = folder_ + " is not a folder path";
            return false;
        }
        const std::string parentPath = slash == 0 ? "/" : folder_.substr(0, slash);
        const std::string name = folder_.substr(slash + 1);
        const int parent = ::open(parentPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (parent < 0) return failed(error, parentPath + " cannot be opened");
        if (::mkdirat(parent, name.c_str(), 0755) != 0 && errno != EEXIST) {
            ::close(parent);
            return failed(error, folder_ + " cannot be created");
        }
        const int dir =
            ::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        ::close(parent);
        if (dir < 0) return failed(error, folder_ + " cannot be opened");
        bool ok = own(dir, 0, 0755, error, folder_);
        const uid_t user = consoleUser_ ? consoleUser_() : consoleUser();
        for (auto [file, neutral] : {std::pair{kLimitFileName, kNeutralLimit},
                                     std::pair{kCalibrationFileName, kNeutralCalibration}})
            ok = prepareFile(dir, file, neutral, user, error) && ok;
        ::close(dir);
        return ok;
    }

  private:
    static bool failed(std::string& error, const std::string& what) {
        error = what + ": " + std::strerror(errno);
        return false;
    }

    static uid_t consoleUser() {
        struct stat st {};
        return ::stat("/dev/console", &st) == 0 ? st.st_uid : 0;
    }

    // Sets the owner and mode of an open entry when they differ.
    static bool own(int fd, uid_t owner, mode_t mode, std::string& error, const std::string& what) {
        struct stat st {};
        if (::fstat(fd, &st) != 0) return failed(error, what + " cannot be examined");
        if (st.st_uid != owner && ::fchown(fd, owner, st.st_gid) != 0)
            return failed(error, what + " cannot be given to uid " + std::to_string(owner));
        if ((st.st_mode & 07777) != mode && ::fchmod(fd, mode) != 0)
            return failed(error, what + " cannot be given mode " + std::to_string(mode));
        return true;
    }

    bool prepareFile(int dir, const char* name, const char* neutral, uid_t user,
                     std::string& error) {
        const std::string what = folder_ + "/" + name;
        int fd = ::openat(dir, name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd >= 0) {
            const size_t length = std::strlen(neutral);
            if (::write(fd, neutral, length) != ssize_t(length)) {
                ::close(fd);
                return failed(error, what + " cannot be written");
            }
        } else if (errno == EEXIST) {
            fd = ::openat(dir, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
            if (fd < 0) return failed(error, what + " cannot be opened");
        } else {
            return failed(error, what + " cannot be created");
        }
        struct stat st {};
        bool ok = ::fstat(fd, &st) == 0;
        if (!ok) {
            failed(error, what + " cannot be examined");
        } else if (!S_ISREG(st.st_mode)) {
            error = what + " is not a regular file";
            ok = false;
        } else if (st.st_uid == 0 && user != 0) {
            // Root's own rewrite, or a file from before: back to the user.
            ok = own(fd, user, 0644, error, what);
        } else if (st.st_uid == user) {
            ok = own(fd, user, 0644, error, what);
        }
        ::close(fd);
        return ok;
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
