#include "backend/scripting/ProfileOwner.h"

#include "platform/OutsideFiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QThread>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace sim {

namespace {

constexpr const char* kReopen = "reopen\n";
constexpr const char* kShown = "shown\n";
// How long a later start waits for the holder: it may still be starting and not listen yet.
constexpr int kAttempts = 40;
constexpr int kPauseMs = 100;
constexpr size_t kMaxLockBytes = 4096;
constexpr size_t kMaxLine = 64; // what a later start says is one short line
constexpr int kWriteMs = 2000;
constexpr int kAnswerMs = 5000;

// The socket's address; false when the path does not fit in one.
bool addressOf(const QString& path, sockaddr_un& address) {
    const QByteArray bytes = QFile::encodeName(path);
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (size_t(bytes.size()) >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, bytes.constData(), size_t(bytes.size()));
    return true;
}

std::string systemReason() {
    return std::strerror(errno);
}

// A local socket that is closed across exec, never blocks, and never raises SIGPIPE (a Mac has
// neither SOCK_CLOEXEC nor MSG_NOSIGNAL: it takes fcntl and SO_NOSIGPIPE); -1 on failure.
int prepared(int fd) {
    if (fd < 0) return -1;
    bool ok = ::fcntl(fd, F_SETFD, FD_CLOEXEC) == 0 &&
              ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK) == 0;
#ifdef SO_NOSIGPIPE
    const int on = 1;
    ok = ok && ::setsockopt(fd, SOL_SOCKET, SO_NOSIGPIPE, &on, sizeof on) == 0;
#endif
    if (!ok) ::close(fd);
    return ok ? fd : -1;
}

int localSocket() {
    return prepared(::socket(AF_UNIX, SOCK_STREAM, 0));
}

ssize_t sendSome(int fd, const char* bytes, size_t count) {
#ifdef MSG_NOSIGNAL
    return ::send(fd, bytes, count, MSG_NOSIGNAL);
#else
    return ::send(fd, bytes, count, 0);
#endif
}

// Waits up to ms for fd to be ready for events; false on a timeout or an error.
bool waitFor(int fd, short events, int ms) {
    pollfd p{fd, events, 0};
    for (;;) {
        const int n = ::poll(&p, 1, ms);
        if (n < 0 && errno == EINTR) continue;
        return n > 0 && (p.revents & (events | POLLHUP)) != 0;
    }
}

QString absoluteFolder(const QString& folder) {
    const QFileInfo info(folder);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

} // namespace

ProfileOwner::ProfileOwner(const QString& profileFolder)
    : folder_(absoluteFolder(profileFolder)), lock_(folder_ + "/.nightlid.lock") {
    // A program may sit idle for weeks: only a holder that is gone makes the lock stale.
    lock_.setStaleLockTime(0);
}

ProfileOwner::~ProfileOwner() {
    for (auto& [fd, caller] : callers_) {
        delete caller.notifier;
        ::close(fd);
    }
    delete listening_;
    if (server_ >= 0) {
        ::close(server_);
        ::unlink(QFile::encodeName(serverPath_).constData());
    }
}

QString ProfileOwner::serverName(const QString& profileFolder) {
    // Socket paths are short; one per user and folder.
    const QByteArray digest =
        QCryptographicHash::hash(absoluteFolder(profileFolder).toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(16);
    return QString("nightlid-%1-%2").arg(::getuid()).arg(QString::fromLatin1(digest));
}

QString ProfileOwner::serverPath(const QString& profileFolder) {
    return QDir::tempPath() + "/" + serverName(profileFolder);
}

bool ProfileOwner::clearStrangeLock(std::string& error) {
    // The lock is read with a plain read when it is found: a FIFO there would hang the start, a
    // device or a huge file fill memory. A lock is a few lines; anything else is moved aside.
    const std::string path = lock_.fileName().toStdString();
    platform::OutsideFileRules rules;
    rules.maxBytes = kMaxLockBytes;
    rules.followLinks = false;
    const auto file = platform::readOutsideFile(path, rules);
    using Status = platform::OutsideFile::Status;
    if (file.status == Status::missing || file.status == Status::read ||
        file.status == Status::unreadable)
        return true;
    std::string why;
    const auto aside = platform::setAsideOutsideFile(path, "not-a-lock", why);
    if (!aside) {
        error = "the profile's lock file " + path + " " + file.problem +
                ", and it cannot be moved aside: " + why;
        return false;
    }
    note_ = "the profile's lock file " + path + " " + file.problem + "; it is moved to " + *aside;
    return true;
}

bool ProfileOwner::start(Start& result, std::string& error) {
    if (!clearStrangeLock(error)) return false;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        // A dead holder's lock is removed here and taken.
        if (lock_.tryLock(0)) {
            result = Start::first;
            return listen(error);
        }
        if (lock_.error() != QLockFile::LockFailedError) {
            error = "the profile folder " + folder_.toStdString() + " cannot hold its lock file";
            return false;
        }
        if (askHolder(error)) {
            result = Start::handedOver;
            return true;
        }
        QThread::msleep(kPauseMs);
    }
    qint64 pid = 0;
    QString host, app;
    lock_.getLockInfo(&pid, &host, &app);
    error = "Nightlid already runs on the profile " + folder_.toStdString() + " (process " +
            std::to_string(pid) + ") but does not answer";
    return false;
}

bool ProfileOwner::listen(std::string& error) {
    serverPath_ = serverPath(folder_);
    const QByteArray path = QFile::encodeName(serverPath_);
    sockaddr_un address{};
    auto fail = [&](const std::string& why) {
        error = "cannot listen for later starts on this profile: " + why;
        return false;
    };
    if (!addressOf(serverPath_, address)) return fail(path.toStdString() + " is too long");
    // The socket is made in a folder only this user may enter and renamed into place, so it is
    // never open to others, not even for a moment.
    QByteArray folder = path + ".XXXXXX";
    if (!::mkdtemp(folder.data())) return fail(systemReason());
    const QByteArray staged = folder + "/socket";
    sockaddr_un stagedAddress{};
    const bool fits = addressOf(QFile::decodeName(staged), stagedAddress);
    const int fd = localSocket();
    const bool made =
        fits && fd >= 0 &&
        ::bind(fd, reinterpret_cast<sockaddr*>(&stagedAddress), sizeof stagedAddress) == 0 &&
        ::chmod(staged.constData(), 0600) == 0 && ::listen(fd, 8) == 0 &&
        // A socket left by a crash: the lock is ours, so nobody else listens on it.
        ::rename(staged.constData(), path.constData()) == 0;
    const std::string why = fits ? systemReason() : staged.toStdString() + " is too long";
    ::unlink(staged.constData());
    ::rmdir(folder.constData());
    if (!made) {
        if (fd >= 0) ::close(fd);
        return fail(why);
    }
    server_ = fd;
    listening_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    QObject::connect(listening_, &QSocketNotifier::activated, this, [this] { acceptStarts(); });
    return true;
}

void ProfileOwner::acceptStarts() {
    for (;;) {
        const int fd = prepared(::accept(server_, nullptr, nullptr));
        if (fd < 0) return; // none waiting (or it went away)
        Caller& caller = callers_[fd];
        caller.notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        QObject::connect(caller.notifier, &QSocketNotifier::activated, this,
                         [this, fd] { readStart(fd); });
        readStart(fd);
    }
}

void ProfileOwner::readStart(int fd) {
    auto it = callers_.find(fd);
    if (it == callers_.end()) return;
    std::string& said = it->second.said;
    char buffer[kMaxLine];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break; // more to come
        if (n <= 0) return endStart(fd);                               // gone, or broken
        said.append(buffer, size_t(n));
        if (said.find('\n') != std::string::npos || said.size() > kMaxLine) break;
    }
    const auto end = said.find('\n');
    if (end == std::string::npos) {
        if (said.size() > kMaxLine) endStart(fd); // not one of ours
        return;
    }
    const bool reopen = said.substr(0, end + 1) == kReopen;
    if (reopen && onReopen_) onReopen_();
    const std::string answer = reopen ? kShown : "?\n";
    // A few bytes into an empty socket: written at once, or the caller is gone.
    [[maybe_unused]] const ssize_t written = sendSome(fd, answer.data(), answer.size());
    endStart(fd);
}

void ProfileOwner::endStart(int fd) {
    auto it = callers_.find(fd);
    if (it == callers_.end()) return;
    // Called from its own notifier's signal: deleted once that returns.
    it->second.notifier->setEnabled(false);
    it->second.notifier->deleteLater();
    callers_.erase(it);
    ::close(fd);
}

bool ProfileOwner::askHolder(std::string& error) {
    sockaddr_un address{};
    if (!addressOf(serverPath(folder_), address)) return false;
    const int fd = localSocket();
    if (fd < 0) return false;
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    // Not listening yet (or no longer): the caller tries again shortly.
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 &&
        !(errno == EINPROGRESS && waitFor(fd, POLLOUT, kPauseMs)))
        return false;
    const std::string request = kReopen;
    for (size_t done = 0; done < request.size();) {
        if (!waitFor(fd, POLLOUT, kWriteMs)) return false;
        const ssize_t n = sendSome(fd, request.data() + done, request.size() - done);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) return false;
        done += size_t(n);
    }
    // The holder answers from its event loop, which may be busy for a moment.
    std::string answer;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kAnswerMs);
    while (answer.find('\n') == std::string::npos && answer.size() <= kMaxLine) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0 || !waitFor(fd, POLLIN, int(left))) {
            error = "the running Nightlid did not answer";
            return false;
        }
        char buffer[kMaxLine];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) break; // closed before a whole line
        answer.append(buffer, size_t(n));
    }
    return answer.substr(0, answer.find('\n') + 1) == kShown;
}

} // namespace sim
