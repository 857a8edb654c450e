#include "backend/scripting/ProfileOwner.h"

#include "platform/OutsideFiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#include <unistd.h>

namespace sim {

namespace {

constexpr const char* kReopen = "reopen\n";
constexpr const char* kShown = "shown\n";
// How long a later start waits for the holder: it may still be starting and not listen yet.
constexpr int kAttempts = 40;
constexpr int kPauseMs = 100;
constexpr size_t kMaxLockBytes = 4096;

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
    if (server_) server_->close();
}

QString ProfileOwner::serverName(const QString& profileFolder) {
    // Socket paths are short; one per user and folder.
    const QByteArray digest =
        QCryptographicHash::hash(absoluteFolder(profileFolder).toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(16);
    return QString("nightlid-%1-%2").arg(::getuid()).arg(QString::fromLatin1(digest));
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
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    const QString name = serverName(folder_);
    // A socket left by a crash: the lock is ours, so nobody else listens on it.
    QLocalServer::removeServer(name);
    if (!server_->listen(name)) {
        error = "cannot listen for later starts on this profile: " +
                server_->errorString().toStdString();
        return false;
    }
    QObject::connect(server_.get(), &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            auto answer = [this, socket] {
                if (!socket->canReadLine()) return;
                const bool reopen = socket->readLine() == kReopen;
                if (reopen && onReopen_) onReopen_();
                socket->write(reopen ? kShown : "?\n");
                socket->flush();
                socket->disconnectFromServer();
            };
            QObject::connect(socket, &QLocalSocket::readyRead, socket, answer);
            answer();
        }
    });
    return true;
}

bool ProfileOwner::askHolder(std::string& error) {
    QLocalSocket socket;
    socket.connectToServer(serverName(folder_));
    if (!socket.waitForConnected(kPauseMs)) return false;
    socket.write(kReopen);
    // The holder answers from its event loop, which may be busy for a moment.
    if (!socket.waitForBytesWritten(2000)) return false;
    while (!socket.canReadLine())
        if (!socket.waitForReadyRead(5000)) {
            error = "the running Nightlid did not answer";
            return false;
        }
    return socket.readLine() == kShown;
}

} // namespace sim
