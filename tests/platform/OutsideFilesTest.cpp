#include "platform/OutsideFiles.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

using Status = platform::OutsideFile::Status;

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

off_t sizeOf(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_size : -1;
}

} // namespace

TEST(OutsideFiles, NothingEndlessOrBlockingIsReadAndPipesOnlyWhereAllowed) {
    QTemporaryDir dir;
    const std::string base = dir.path().toStdString();
    platform::OutsideFileRules rules;
    rules.maxBytes = 64;

    std::ofstream(base + "/plain") << "hello";
    auto file = platform::readOutsideFile(base + "/plain", rules);
    EXPECT_EQ(file.status, Status::read);
    EXPECT_EQ(file.bytes, "hello");
    EXPECT_EQ(platform::readOutsideFile(base + "/none", rules).status, Status::missing);

    // Devices are never opened, whatever link leads to them.
    ASSERT_EQ(::symlink("/dev/zero", (base + "/zero").c_str()), 0);
    file = platform::readOutsideFile(base + "/zero", rules);
    EXPECT_EQ(file.status, Status::refused);
    EXPECT_EQ(file.problem, "is a character device");
    // A 2 GiB sparse file is judged by its size, not read.
    ASSERT_EQ(::truncate((base + "/plain").c_str(), off_t(2) << 30), 0);
    file = platform::readOutsideFile(base + "/plain", rules);
    EXPECT_EQ(file.status, Status::tooLarge);
    EXPECT_EQ(file.problem, "is 2 GiB long; at most 64 bytes is read");
    EXPECT_TRUE(file.bytes.empty());

    // Links and second names, where the reader is told to refuse them.
    std::ofstream(base + "/target") << "80";
    ASSERT_EQ(::symlink((base + "/target").c_str(), (base + "/link").c_str()), 0);
    ASSERT_EQ(::link((base + "/target").c_str(), (base + "/second").c_str()), 0);
    EXPECT_EQ(platform::readOutsideFile(base + "/link", rules).bytes, "80");
    rules.followLinks = false;
    rules.refuseHardLinks = true;
    EXPECT_EQ(platform::readOutsideFile(base + "/link", rules).problem, "is a symbolic link");
    EXPECT_EQ(platform::readOutsideFile(base + "/second", rules).status, Status::refused);

    // A FIFO: refused at once where no pipe belongs, even with a writer waiting.
    const std::string fifo = base + "/fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    file = platform::readOutsideFile(fifo, rules);
    EXPECT_EQ(file.status, Status::refused);
    EXPECT_EQ(file.problem, "is a FIFO (named pipe), not a file");

    // Where a pipe is legitimate it is read to its end; one whose writer never closes it, or
    // that nobody ever writes, is given up.
    rules.pipeSeconds = 5;
    std::thread writer([&] {
        const int fd = ::open(fifo.c_str(), O_WRONLY);
        if (fd < 0) return;
        (void)!::write(fd, "advance 1\n", 10);
        ::close(fd);
    });
    file = platform::readOutsideFile(fifo, rules);
    writer.join();
    EXPECT_EQ(file.status, Status::read) << file.problem;
    EXPECT_EQ(file.bytes, "advance 1\n");
    rules.pipeSeconds = 0.05;
    EXPECT_EQ(platform::readOutsideFile(fifo, rules).status, Status::timedOut) << "no writer";
    const int held = ::open(fifo.c_str(), O_RDWR); // a writer that never closes
    ASSERT_GE(held, 0);
    ASSERT_EQ(::write(held, "x", 1), 1);
    file = platform::readOutsideFile(fifo, rules);
    EXPECT_EQ(file.status, Status::timedOut);
    EXPECT_NE(file.problem.find("did not close it"), std::string::npos) << file.problem;
    ::close(held);
}

TEST(OutsideFiles, SetAsideMovesLinksAndFifosAndKeepsAtMostTheFirstMegabytes) {
    QTemporaryDir dir;
    const std::string base = dir.path().toStdString();
    std::string error;

    // A link moves as a link: its target is neither read nor touched.
    std::ofstream(base + "/precious") << "keep me";
    ASSERT_EQ(::symlink((base + "/precious").c_str(), (base + "/defaults.json").c_str()), 0);
    auto aside = platform::setAsideOutsideFile(base + "/defaults.json", "corrupt", error);
    ASSERT_TRUE(aside) << error;
    EXPECT_EQ(sizeOf(base + "/defaults.json"), -1);
    char target[256] = {};
    ASSERT_GT(::readlink(aside->c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(std::string(target), base + "/precious");
    EXPECT_EQ(slurp(base + "/precious"), "keep me");

    // A FIFO moves without being opened; a second one the same second gets its own name.
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(::mkfifo((base + "/state").c_str(), 0600), 0);
        ASSERT_TRUE(platform::setAsideOutsideFile(base + "/state", "damaged", error)) << error;
    }
    EXPECT_EQ(QDir(dir.path()).entryList({"state.damaged-*"}, QDir::System).size(), 2);

    // A small damaged file moves whole; an endless one leaves its first megabytes, not 2 GiB.
    std::ofstream(base + "/small") << "{ broken";
    aside = platform::setAsideOutsideFile(base + "/small", "corrupt", error);
    ASSERT_TRUE(aside);
    EXPECT_EQ(slurp(*aside), "{ broken");
    { std::ofstream(base + "/huge") << "{\"start\":"; }
    ASSERT_EQ(::truncate((base + "/huge").c_str(), off_t(2) << 30), 0);
    aside = platform::setAsideOutsideFile(base + "/huge", "corrupt", error);
    ASSERT_TRUE(aside) << error;
    EXPECT_EQ(sizeOf(*aside), off_t(platform::kSetAsideCopyBytes));
    EXPECT_EQ(slurp(*aside).substr(0, 9), "{\"start\":");
    EXPECT_EQ(sizeOf(base + "/huge"), -1);

    // A folder stays where it is.
    QDir(dir.path()).mkpath("folder");
    EXPECT_FALSE(platform::setAsideOutsideFile(base + "/folder", "corrupt", error));
    EXPECT_TRUE(QDir(dir.path() + "/folder").exists());
}

TEST(OutsideFiles, WritesGoToAPlainFileNeverThroughALinkNorIntoAFifo) {
    QTemporaryDir dir;
    const std::string base = dir.path().toStdString();
    std::string error;

    // A file is replaced whole and keeps its permissions; a new one gets the mode asked.
    std::ofstream(base + "/settings.json") << "old";
    ASSERT_EQ(::chmod((base + "/settings.json").c_str(), 0600), 0);
    ASSERT_TRUE(platform::writeOutsideFile(base + "/settings.json", "new", error)) << error;
    EXPECT_EQ(slurp(base + "/settings.json"), "new");
    struct stat st {};
    ASSERT_EQ(::stat((base + "/settings.json").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    ASSERT_TRUE(platform::writeOutsideFile(base + "/tool", "#!/bin/sh\n", error, 0755));
    ASSERT_EQ(::stat((base + "/tool").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0755u);

    // A link, a FIFO without a reader, a folder: refused and said, the target untouched.
    std::ofstream(base + "/precious") << "keep me";
    ASSERT_EQ(::symlink((base + "/precious").c_str(), (base + "/link").c_str()), 0);
    ASSERT_EQ(::mkfifo((base + "/fifo").c_str(), 0600), 0);
    QDir(dir.path()).mkpath("folder");
    for (const auto& [name, why] : {std::pair{"link", "is a symbolic link, which is not followed"},
                                    std::pair{"fifo", "is a FIFO (named pipe), not a file"},
                                    std::pair{"folder", "is a folder"}}) {
        EXPECT_FALSE(platform::writeOutsideFile(base + "/" + name, "x", error)) << name;
        EXPECT_EQ(error, base + "/" + name + " " + why);
        EXPECT_FALSE(platform::appendToOutsideFile(base + "/" + name, "x", error)) << name;
        EXPECT_EQ(error, base + "/" + name + " " + why);
    }
    EXPECT_EQ(slurp(base + "/precious"), "keep me");

    // Appending: only to a file that is there.
    EXPECT_FALSE(platform::appendToOutsideFile(base + "/none", "x", error));
    EXPECT_EQ(error, "");
    EXPECT_EQ(sizeOf(base + "/none"), -1);
    ASSERT_TRUE(platform::appendToOutsideFile(base + "/precious", "!", error)) << error;
    EXPECT_EQ(slurp(base + "/precious"), "keep me!");

    // A copy never waits on a FIFO nor copies an endless file.
    EXPECT_FALSE(platform::copyOutsideFile(base + "/fifo", base + "/copy", 1024, 0644, error));
    ASSERT_EQ(::truncate((base + "/tool").c_str(), off_t(2) << 30), 0);
    EXPECT_FALSE(platform::copyOutsideFile(base + "/tool", base + "/copy", 1024, 0644, error));
    EXPECT_EQ(sizeOf(base + "/copy"), -1);
    EXPECT_TRUE(platform::copyOutsideFile(base + "/precious", base + "/copy", 1024, 0644, error));
    EXPECT_EQ(slurp(base + "/copy"), "keep me!");

    // A large file is copied whole, with the mode asked for, up to its limit and not a byte over;
    // a file read whole keeps its every byte too.
    std::string large;
    for (int i = 0; large.size() < 300'000; ++i)
        large += std::to_string(i) + (i % 7 == 0 ? std::string(1, '\0') : "\n");
    ASSERT_TRUE(platform::writeOutsideFile(base + "/large", large, error)) << error;
    EXPECT_TRUE(
        platform::copyOutsideFile(base + "/large", base + "/copy", large.size(), 0755, error))
        << error;
    EXPECT_EQ(slurp(base + "/copy"), large);
    struct stat copied {};
    ASSERT_EQ(::stat((base + "/copy").c_str(), &copied), 0);
    EXPECT_EQ(copied.st_mode & 07777, 0755u);
    EXPECT_EQ(platform::readOutsideFile(base + "/large", platform::OutsideFileRules{}).bytes,
              large);
    EXPECT_FALSE(
        platform::copyOutsideFile(base + "/large", base + "/copy", large.size() - 1, 0644, error));
    EXPECT_EQ(error, base + "/large is 293 KiB long; at most 293 KiB is read");
    EXPECT_EQ(slurp(base + "/copy"), large);
}
