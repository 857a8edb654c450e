#pragma once
// Files the program shares with the root helper, in a folder root owns: the program may only
// rewrite the files it was given.

#include <string>

namespace platform {

class SharedFiles {
  public:
    virtual ~SharedFiles() = default;
    // Replaces the file's content as the logged-in user; false with the reason when the user
    // may not (nothing is created on the way).
    virtual bool write(const std::string& systemPath, const std::string& text,
                       std::string& error) = 0;
};

// The write as a process of the logged-in user does it on a real path: a new file renamed over
// the old one where the folder allows, else the file rewritten in place.
bool writeSharedFile(const std::string& realPath, const std::string& text, std::string& error,
                     bool folderWritable);

} // namespace platform
