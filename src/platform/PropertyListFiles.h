#pragma once
// Reading a system property list file, in whichever form it is kept (binary or XML).

#include "platform/Value.h"

#include <memory>
#include <optional>
#include <string>

namespace platform {

class SystemPaths;

class PropertyListFiles {
  public:
    virtual ~PropertyListFiles() = default;
    // Absent with error set when the file cannot be read or holds no property list.
    virtual std::optional<Value> read(const std::string& systemPath, std::string& error) = 0;
};

// A property list file's bytes from a real path; absent with error set when it cannot be read
// or is far larger than any preferences file.
std::optional<std::string> readPropertyListBytes(const std::string& realPath, std::string& error);

// With this program's own reader, from where paths maps the system path.
std::unique_ptr<PropertyListFiles> makePortablePropertyListFiles(const SystemPaths& paths);

} // namespace platform
