#include "platform/sim/VirtualOwnership.h"

#include "helper/SafeFiles.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
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

    bool prepare(std::string& error) override {
        const std::string real = root_ + folder_;
        if (::mkdir(real.c_str(), 0755) != 0 && errno != EEXIST) {
            error = folder_ + " cannot be created: " + std::strerror(errno);
            return false;
        }
        OwnershipTable table(root_);
        const helper::SafeDirectory dir(real);
        if (!dir.isOpen()) {
            error = folder_ + " cannot be opened";
            return false;
        }
        bool ok = table.ownerOf(folder_) == VirtualOwner{true, 0755} ||
                  table.set(folder_, {true, 0755}, error);
        for (auto [name, neutral] :
             {std::pair{helper::kLimitFileName, helper::kNeutralLimit},
              std::pair{helper::kCalibrationFileName, helper::kNeutralCalibration}}) {
            const std::string path = folder_ + "/" + name;
            struct stat st {};
            if (::lstat((real + "/" + name).c_str(), &st) != 0) {
                if (!dir.write(name, neutral, error)) {
                    ok = false;
                    continue;
                }
            } else if (!S_ISREG(st.st_mode)) {
                error = path + " is not a regular file";
                ok = false;
                continue;
            }
            // The logged-in user of a virtual Mac is always there.
            if (table.ownerOf(path) != VirtualOwner{false, 0644})
                ok = table.set(path, {false, 0644}, error) && ok;
        }
        return ok;
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
