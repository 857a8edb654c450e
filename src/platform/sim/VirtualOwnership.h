#pragma once
// Owners and modes on the virtual Mac. The program and the virtual machine run as one real
// user, so the Mac's rule (root owns the system folders, the logged-in user only what was given
// to them) is kept in a table in the machine's root folder, shared by the program and the
// helper process. Paths are system paths ("/Library/..."). Plain C++: the helper links it.

#include "helper/FolderAccess.h"

#include <map>
#include <memory>
#include <string>

namespace sim {

struct VirtualOwner {
    bool root = true;
    unsigned mode = 0755;
    bool operator==(const VirtualOwner&) const = default;
};

class OwnershipTable {
  public:
    // root: the machine's root folder (a real path).
    explicit OwnershipTable(std::string root);

    // The table's entry, or what a Mac has there: root owns everything outside the home
    // folders.
    VirtualOwner ownerOf(const std::string& systemPath) const;
    // Recorded at once, so the program sees what the helper did.
    bool set(const std::string& systemPath, VirtualOwner owner, std::string& error);

    // Whether the logged-in user may create entries in the folder, and rewrite the file.
    bool userMayWriteFolder(const std::string& systemFolder) const;
    bool userMayWriteFile(const std::string& systemPath) const;

  private:
    void load();
    std::string tablePath() const;

    std::string root_;
    std::map<std::string, VirtualOwner> entries_;
};

// The helper's folder access on a virtual Mac: the same steps as on a Mac, with the owners in
// the machine's table.
std::unique_ptr<helper::FolderAccess> makeVirtualFolderAccess(std::string root,
                                                              std::string systemFolder);

} // namespace sim
