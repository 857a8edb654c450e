// The helper's folder as root keeps it, on this machine's real file system: real owners, real
// links, another user's uid. Root only; skipped with the reason elsewhere (CI runs as root).

#include "helper/HelperCore.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Entry {
    uid_t uid = uid_t(-1);
    unsigned mode = 0;
    ino_t inode = 0;
    nlink_t names = 0;
};

Entry entry(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return {};
    return {st.st_uid, unsigned(st.st_mode & 07777), st.st_ino, st.st_nlink};
}

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Whether a process of that user may open the file for writing.
bool userMayWrite(uid_t uid, const std::string& path) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(uid) != 0 || ::setuid(uid) != 0) ::_exit(2);
        const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
        ::_exit(fd >= 0 ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class HelperFolderAsRoot : public ::testing::Test {
  protected:
    void SetUp() override {
        if (::geteuid() != 0) GTEST_SKIP() << "giving files to other users needs root";
        // Other users may reach the folder, as they may reach /Library on a Mac.
        ::chmod(base.c_str(), 0755);
        core = std::make_unique<helper::HelperCore>(
            "/", folder, [this](const std::string& l) { logged.push_back(l); },
            helper::makeHostFolderAccess(folder, [this] { return console; }));
    }
    helper::ChargeControl tick(int percent) { return core->tick(1000, {percent, true}); }
    bool loggedSomething(const std::string& part) const {
        for (const auto& l : logged)
            if (l.find(part) != std::string::npos) return true;
        return false;
    }

    QTemporaryDir scratch;
    const std::string base = scratch.path().toStdString();
    const std::string folder = base + "/Library/Application Support/Nightlid";
    const std::string limit = folder + "/limit.txt";
    const std::string calibration = folder + "/calibration.txt";
    uid_t console = 501;
    std::vector<std::string> logged;
    std::unique_ptr<helper::HelperCore> core;
};

const helper::ChargeControl charge{false, false}, hold{true, false};

} // namespace

TEST_F(HelperFolderAsRoot, OnlyFilesTheHelperMadeAreHandedOverAndASecondNameIsNeverEnforced) {
    // A folder anyone could write before the helper first ran: a second name of a root-only
    // file holding 85, and a root-owned file of someone else's, wait at the two names.
    QDir().mkpath(QString::fromStdString(folder));
    ASSERT_EQ(::chmod(folder.c_str(), 0777), 0);
    const std::string secret = base + "/secret";
    std::ofstream(secret) << "85";
    ASSERT_EQ(::chmod(secret.c_str(), 0600), 0);
    ASSERT_EQ(::link(secret.c_str(), limit.c_str()), 0);
    std::ofstream(calibration) << "not a state";
    const ino_t planted = entry(calibration).inode;

    EXPECT_EQ(tick(90), charge) << "85 behind a second name is not enforced";
    EXPECT_EQ(core->limit(), 0);
    const auto kept = entry(secret);
    EXPECT_EQ(kept.uid, 0u);
    EXPECT_EQ(kept.mode, 0600u);
    EXPECT_EQ(kept.names, 1u) << "its second name is gone from the folder";
    EXPECT_EQ(slurp(secret), "85");
    const auto made = entry(limit);
    EXPECT_NE(made.inode, kept.inode);
    EXPECT_EQ(made.uid, console);
    EXPECT_EQ(made.mode, 0644u);
    EXPECT_EQ(slurp(limit), "0");
    EXPECT_NE(entry(calibration).inode, planted) << "a file it found is never handed over";
    EXPECT_EQ(entry(calibration).uid, console);
    EXPECT_EQ(slurp(calibration), "inactive");
    EXPECT_EQ(entry(folder).uid, 0u);
    EXPECT_EQ(entry(folder).mode, 0755u);
    EXPECT_TRUE(loggedSomething("limit.txt made anew for uid 501 (it had 2 names (a hard link))"));
    EXPECT_TRUE(loggedSomething("calibration.txt made anew for uid 501 (it belonged to uid 0)"));

    // The user opens the file to everyone: a file of the helper's takes its place, the limit
    // the user set stays.
    std::ofstream(limit) << "80";
    ASSERT_EQ(::chmod(limit.c_str(), 0666), 0);
    const ino_t opened = entry(limit).inode;
    EXPECT_EQ(tick(90), hold);
    EXPECT_NE(entry(limit).inode, opened);
    EXPECT_EQ(entry(limit).mode, 0644u);
    EXPECT_EQ(slurp(limit), "80");

    // A FIFO (root could still plant one) is never waited on: replaced by a plain file.
    ASSERT_EQ(::unlink(calibration.c_str()), 0);
    ASSERT_EQ(::mkfifo(calibration.c_str(), 0666), 0);
    EXPECT_EQ(tick(90), hold);
    EXPECT_TRUE(S_ISREG([&] {
        struct stat st {};
        ::lstat(calibration.c_str(), &st);
        return st.st_mode;
    }()));
    EXPECT_EQ(slurp(calibration), "inactive");
    EXPECT_EQ(entry(calibration).uid, console);

    // A folder a user planted at either name is moved aside as it is, and the name taken.
    for (const std::string& name : {limit, calibration}) {
        ASSERT_EQ(::unlink(name.c_str()), 0);
        QDir().mkpath(QString::fromStdString(name + "/keep"));
        ASSERT_EQ(::chown(name.c_str(), 501, 20), 0);
        logged.clear();
        tick(90);
        EXPECT_TRUE(S_ISREG([&] {
            struct stat st {};
            ::lstat(name.c_str(), &st);
            return st.st_mode;
        }()))
            << name;
        EXPECT_EQ(entry(name).uid, console) << name;
        EXPECT_TRUE(loggedSomething("made anew for uid 501 (it was a folder, moved aside)"))
            << name;
    }
    EXPECT_EQ(slurp(limit), "0");
    EXPECT_EQ(QDir(QString::fromStdString(folder))
                  .entryList({".limit.txt.aside-*", ".calibration.txt.aside-*"},
                             QDir::Dirs | QDir::Hidden)
                  .size(),
              2)
        << "what was in them is kept";
}

TEST_F(HelperFolderAsRoot, TheFilesFollowTheConsoleUserAndTheFormerOneLosesThem) {
    tick(90);
    ASSERT_EQ(entry(limit).uid, 501u);
    EXPECT_TRUE(userMayWrite(501, limit));
    std::ofstream(limit) << "90";
    // The first user's program still holds the file open when another user logs in.
    const int former = ::open(limit.c_str(), O_WRONLY);
    ASSERT_GE(former, 0);

    console = 502;
    EXPECT_EQ(tick(95), hold) << "the limit is the machine's: it stays";
    EXPECT_EQ(entry(limit).uid, 502u);
    EXPECT_EQ(entry(calibration).uid, 502u);
    EXPECT_EQ(slurp(limit), "90");
    EXPECT_TRUE(userMayWrite(502, limit));
    EXPECT_FALSE(userMayWrite(501, limit));
    EXPECT_FALSE(userMayWrite(501, calibration));
    // What the former user writes through the old handle reaches nothing the helper reads.
    ASSERT_EQ(::ftruncate(former, 0), 0);
    ASSERT_EQ(::write(former, "50", 2), 2);
    ::close(former);
    EXPECT_EQ(tick(95), hold);
    EXPECT_EQ(core->limit(), 90);

    // Nobody logged in: root's.
    console = 0;
    tick(95);
    EXPECT_EQ(entry(limit).uid, 0u);
    EXPECT_EQ(entry(calibration).uid, 0u);
    EXPECT_FALSE(userMayWrite(502, limit));
    EXPECT_EQ(core->limit(), 90);
}

TEST_F(HelperFolderAsRoot, NoLinkIsFollowedOnTheWayFromTheRootAndNoFolderOthersMayWrite) {
    // Where a link would lead: a folder someone else prepared, holding a limit of 85.
    const std::string elsewhere = base + "/elsewhere";
    QDir().mkpath(QString::fromStdString(elsewhere + "/Application Support/Nightlid"));
    std::ofstream(elsewhere + "/Application Support/Nightlid/limit.txt") << "85";
    const std::vector<std::pair<std::string, std::string>> links = {
        {base + "/Library", elsewhere},
        {base + "/Library/Application Support", elsewhere + "/Application Support"},
    };
    for (const auto& [path, target] : links) {
        std::filesystem::remove_all(base + "/Library"); // the link, not what it leads to
        QDir().mkpath(QString::fromStdString(path.substr(0, path.find_last_of('/'))));
        ASSERT_EQ(::symlink(target.c_str(), path.c_str()), 0) << path;
        logged.clear();
        EXPECT_EQ(tick(90), charge) << path;
        EXPECT_TRUE(loggedSomething(path + " is a symbolic link, which is not followed")) << path;
        EXPECT_EQ(entry(elsewhere + "/Application Support/Nightlid/limit.txt").uid, 0u) << path;
        EXPECT_EQ(entry(elsewhere + "/Application Support/Nightlid/calibration.txt").uid, uid_t(-1))
            << path << ": nothing is created through it";
    }

    // Something else at the folder's own name is moved aside as it is, and the folder made.
    for (bool asLink : {true, false}) {
        std::filesystem::remove_all(base + "/Library");
        QDir().mkpath(QString::fromStdString(base + "/Library/Application Support"));
        if (asLink)
            ASSERT_EQ(
                ::symlink((elsewhere + "/Application Support/Nightlid").c_str(), folder.c_str()),
                0);
        else
            std::ofstream(folder) << "planted";
        logged.clear();
        EXPECT_EQ(tick(90), charge);
        EXPECT_TRUE(loggedSomething(folder + " was " +
                                    (asLink ? "a symbolic link" : "not a folder") +
                                    ", moved aside to .Nightlid.aside-"));
        EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::symlink_status(folder)));
        EXPECT_EQ(entry(limit).uid, 501u) << "the helper's own folder works again";
        EXPECT_EQ(entry(elsewhere + "/Application Support/Nightlid/limit.txt").uid, 0u);
        EXPECT_EQ(entry(elsewhere + "/Application Support/Nightlid/calibration.txt").uid,
                  uid_t(-1));
    }
    EXPECT_EQ(slurp(elsewhere + "/Application Support/Nightlid/limit.txt"), "85");

    // A folder on the way that others may write, or that another user owns, is not built on.
    std::filesystem::remove_all(base + "/Library");
    QDir().mkpath(QString::fromStdString(folder));
    ASSERT_EQ(::chmod((base + "/Library").c_str(), 0777), 0);
    logged.clear();
    tick(90);
    EXPECT_TRUE(loggedSomething(base + "/Library may be written by others"));
    EXPECT_EQ(entry(limit).uid, uid_t(-1)) << "nothing handed over beneath it";
    ASSERT_EQ(::chmod((base + "/Library").c_str(), 0755), 0);
    ASSERT_EQ(::chown((base + "/Library").c_str(), 501, 20), 0);
    logged.clear();
    tick(90);
    EXPECT_TRUE(loggedSomething(base + "/Library belongs to uid 501"));
    EXPECT_EQ(entry(limit).uid, uid_t(-1));

    // Beneath a folder it refused, the helper reads nothing and writes nothing: another user's
    // limit there is not enforced, and no file of root's appears in that user's folder.
    std::ofstream(limit) << "55";
    ASSERT_EQ(::chown(limit.c_str(), 501, 20), 0);
    logged.clear();
    EXPECT_EQ(tick(90), charge);
    EXPECT_EQ(core->limit(), 0);
    core->publishChargingControl("");
    EXPECT_EQ(entry(folder + "/charging-control.txt").uid, uid_t(-1));
    EXPECT_EQ(entry(limit).uid, 501u);
    EXPECT_EQ(slurp(limit), "55");
}
