#pragma once
// One program per profile: the first start holds the profile's lock and listens for later starts;
// a later start asks it to show its control window instead of running a second copy over the
// same settings and devices. A lock left by a program that has died is taken over.

#include <QLockFile>
#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <string>

class QSocketNotifier;

namespace sim {

class ProfileOwner : public QObject {
  public:
    explicit ProfileOwner(const QString& profileFolder);
    ~ProfileOwner() override;

    enum class Start {
        first,     // this run owns the profile and listens
        handedOver // the running program was asked to reopen: this run ends
    };
    // Takes the profile, or hands the start to the program holding it; false with error when
    // neither works (the holder does not answer, the folder cannot hold a lock).
    bool start(Start& result, std::string& error);
    // Called on the main thread when a later start asks this one to come forward.
    void setOnReopen(std::function<void()> onReopen) { onReopen_ = std::move(onReopen); }

    // What was found in the lock's place and moved aside, said by the caller; empty when nothing.
    const std::string& note() const { return note_; }

    // The local socket's name for a profile folder (short, the same for every spelling of it),
    // and where it lies (the temporary folder).
    static QString serverName(const QString& profileFolder);
    static QString serverPath(const QString& profileFolder);

  private:
    bool listen(std::string& error);
    bool askHolder(std::string& error);
    bool clearStrangeLock(std::string& error);
    void acceptStarts();
    void readStart(int fd);
    void endStart(int fd);

    QString folder_;
    QLockFile lock_;
    int server_ = -1;
    QString serverPath_;
    QSocketNotifier* listening_ = nullptr;
    // A later start talking to this one: what it sent so far, and what tells when it sends more.
    struct Caller {
        std::string said;
        QSocketNotifier* notifier = nullptr;
    };
    std::map<int, Caller> callers_;
    std::function<void()> onReopen_;
    std::string note_;
};

} // namespace sim
