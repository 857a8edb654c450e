#include "platform/SharedFiles.h"

#include "helper/SafeFiles.h"

namespace platform {

bool writeSharedFile(const std::string& realPath, const std::string& text, std::string& error,
                     bool folderWritable) {
    const auto slash = realPath.find_last_of('/');
    if (slash == std::string::npos || slash + 1 == realPath.size()) {
        error = realPath + " is not a file path";
        return false;
    }
    const helper::SafeDirectory folder(slash == 0 ? "/" : realPath.substr(0, slash));
    if (!folder.isOpen()) {
        error = "its folder cannot be opened";
        return false;
    }
    const std::string name = realPath.substr(slash + 1);
    if (folderWritable && folder.write(name, text, error)) return true;
    return folder.overwrite(name, text, error);
}

} // namespace platform
