#include "platform/sim/VirtualOwnership.h"

#include "helper/HelperFileFormat.h"
#include "helper/SafeFiles.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace sim {

namespace {

constexpr const char* kTableName = "/.ownership";
constexpr size_t kMaxTableBytes = 64 * 1024;

bool underUserHome(const std::string& path) {
    return path.rfind("/Users/", 0) == 0 || path.rfind("/tmp/", 0) == 0;
}

bool exists(const std::string& realPath) {
    struct stat st {};
    return ::lstat(realPath.c_str(), &st) == 0;
}

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
}

} // namespace

OwnershipTable::OwnershipTable(std::string root) : root_(std::move(root)) {
    load();
}

std::string OwnershipTable::tablePath() const {
    return root_ + kTableName;
}

void OwnershipTable::load() {
    // Lines of "root|user OCTAL-MODE PATH"; a line that is not one is skipped.
    const helper::SafeDirectory folder(root_);
    std::string error;
    auto text = folder.read(std::string(kTableName).substr(1), kMaxTableBytes, error);
    if (!text) return;
    std::istringstream in(*text);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string who, mode;
        if (!(words >> who >> mode) || (who != "root" && who != "user")) continue;
        std::string path;
        std::getline(words, path);
        if (path.size() < 2 || path[0] != ' ' || path[1] != '/') continue;
        unsigned value = 0;
        if (std::sscanf(mode.c_str(), "%o", &value) != 1 || value > 07777) continue;
        entries_[path.substr(1)] = {who == "root", value};
    }
}

VirtualOwner OwnershipTable::ownerOf(const std::string& systemPath) const {
    if (auto it = entries_.find(systemPath); it != entries_.end()) return it->second;
    if (underUserHome(systemPath)) return {false, 0755};
    return {true, 0755};
}

bool OwnershipTable::set(const std::string& systemPath, VirtualOwner owner, std::string& error) {
    entries_[systemPath] = owner;
    std::string text;
    for (const auto& [path, o] : entries_) {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%o", o.mode);
        text += std::string(o.root ? "root " : "user ") + mode + " " + path + "\n";
    }
    const helper::SafeDirectory folder(root_);
    return folder.write(std::string(kTableName).substr(1), text, error);
}

bool OwnershipTable::userMayWriteFolder(const std::string& systemFolder) const {
    const auto o = ownerOf(systemFolder);
    return (!o.root && (o.mode & 0200)) || (o.mode & 0002);
}

bool OwnershipTable::userMayWriteFile(const std::string& systemPath) const {
    if (!exists(root_ + systemPath)) return userMayWriteFolder(folderOf(systemPath));
    const auto o = ownerOf(systemPath);
    return (!o.root && (o.mode & 0200)) || (o.mode & 0002);
}

namespace {

class VirtualFolderAccess : public helper::FolderAccess {
  public:
    VirtualFolderAccess(std::string root, std::string folder)
        : root_(std::move(root)), folder_(std::move(folder)) {}

    // The host's steps, with owners in the machine's table: the logged-in user of a virtual Mac
    // is always there.
    bool prepare(std::string& error, const Note& note) override {
        std::string moved;
        if (!helper::moveAsideWhatIsNotAFolder(root_, folder_, {}, moved, error)) return false;
        if (!moved.empty()) note(moved);
        const int fd = helper::openFolderBeneath(root_, folder_, true, error);
        if (fd < 0) return false;
        const helper::SafeDirectory dir(fd);
        OwnershipTable table(root_);
        bool ok = table.ownerOf(folder_) == VirtualOwner{true, 0755} ||
                  table.set(folder_, {true, 0755}, error);
        for (auto [name, neutral] :
             {std::pair{helper::kLimitFileName, helper::kNeutralLimit},
              std::pair{helper::kCalibrationFileName, helper::kNeutralCalibration}}) {
            const std::string path = folder_ + "/" + name;
            struct stat st {};
            std::string why;
            if (::fstatat(dir.fd(), name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                why = "missing";
            else if (S_ISLNK(st.st_mode))
                why = "it was a symbolic link";
            else if (S_ISDIR(st.st_mode))
                why = "it was a folder, moved aside";
            else if (!S_ISREG(st.st_mode))
                why = "it was not a regular file";
            else if (st.st_nlink != 1)
                why = "it had " + std::to_string(st.st_nlink) + " names (a hard link)";
            else if (table.ownerOf(path) != VirtualOwner{false, 0644})
                why = table.ownerOf(path).root ? "it was root's" : "it had another mode";
            if (why.empty()) continue;
            // A folder cannot be renamed over: it goes aside as it is.
            if (S_ISDIR(st.st_mode) && !dir.moveAside(name, error)) {
                ok = false;
                continue;
            }
            std::string content = neutral;
            if (why != "missing" && S_ISREG(st.st_mode) && st.st_nlink == 1) {
                std::string readError;
                if (auto text = dir.read(name, helper::kMaxHelperFileBytes, readError))
                    if (auto kept = helper::keptContent(name, *text)) content = *kept;
            }
            if (!dir.write(name, content, error) || !table.set(path, {false, 0644}, error)) {
                ok = false;
                continue;
            }
            if (why != "missing") note(std::string(name) + " made anew for the user (" + why + ")");
        }
        return ok;
    }

    bool replace(const std::string& name, const std::string& text, std::string& error) override {
        const helper::SafeDirectory dir(root_, folder_);
        if (!dir.isOpen()) {
            error = dir.openError();
            return false;
        }
        OwnershipTable table(root_);
        return dir.write(name, text, error) &&
               table.set(folder_ + "/" + name, {false, 0644}, error);
    }

    int open(std::string& error) override {
        return helper::openFolderBeneath(root_, folder_, false, error);
    }

  private:
    std::string root_, folder_;
};

} // namespace

std::unique_ptr<helper::FolderAccess> makeVirtualFolderAccess(std::string root,
                                                              std::string systemFolder) {
    return std::make_unique<VirtualFolderAccess>(std::move(root), std::move(systemFolder));
}

} // namespace sim
