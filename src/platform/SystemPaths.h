#pragma once
// System paths ("/Library/...") mapped into the machine's root folder.

#include <string>

namespace platform {

class SystemPaths {
  public:
    // An empty root maps every path to itself (a real machine).
    explicit SystemPaths(std::string root = {}) : root_(std::move(root)) {}
    std::string map(const std::string& systemPath) const {
        if (root_.empty()) return systemPath;
        return root_ + (systemPath.empty() || systemPath[0] != '/' ? "/" : "") + systemPath;
    }
    const std::string& root() const { return root_; }

  private:
    std::string root_;
};

} // namespace platform
