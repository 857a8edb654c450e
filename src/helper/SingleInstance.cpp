#include "helper/SingleInstance.h"

#include "helper/SafeFiles.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <unistd.h>

namespace helper {

SingleInstance::SingleInstance(const std::string& root, const std::string& folder,
                               const std::string& name) {
    const int dir = openFolderBeneath(root, folder, true, error_);
    if (dir < 0) return;
    const int fd = ::openat(dir, name.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
    const int openErrno = errno;
    ::close(dir);
    if (fd < 0) {
        error_ = folder + "/" + name + " cannot be opened: " + std::strerror(openErrno);
        return;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int lockErrno = errno;
        char pid[32] = {};
        const ssize_t got = ::pread(fd, pid, sizeof pid - 1, 0);
        ::close(fd);
        std::string holder(pid, got > 0 ? size_t(got) : 0);
        while (!holder.empty() && (holder.back() == '\n' || holder.back() == ' '))
            holder.pop_back();
        error_ = lockErrno == EWOULDBLOCK
                     ? "another nightlid-helper is running" +
                           (holder.empty() ? std::string() : " (process " + holder + ")")
                     : folder + "/" + name + " cannot be locked: " + std::strerror(lockErrno);
        return;
    }
    // The holder's process ID, for the one that finds it held.
    const std::string self = std::to_string(::getpid()) + "\n";
    if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, self.data(), self.size(), 0) < 0) {
        // The lock holds without the note.
    }
    fd_ = fd;
}

SingleInstance::~SingleInstance() {
    if (fd_ >= 0) ::close(fd_);
}

} // namespace helper
