#pragma once
// System paths ("/Library/...") mapped into the machine's root folder, and the user's own
// ("~/Library/...") into the user's home folder.

#include <string>

namespace platform {

class SystemPaths {
  public:
    // An empty root maps every path to itself (a real machine).
    explicit SystemPaths(std::string root = {}, std::string home = {})
        : root_(std::move(root)), home_(std::move(home)) {}
    std::string map(const std::string& systemPath) const {
        if (systemPath.rfind("~/", 0) == 0) return home_ + systemPath.substr(1);
        if (root_.empty()) return systemPath;
        return root_ + (systemPath.empty() || systemPath[0] != '/' ? "/" : "") + systemPath;
    }
    // The application bundle's location on this machine (a real path).
    const std::string& bundlePath() const { return bundle_; }
    void setBundlePath(std::string path) { bundle_ = std::move(path); }
    const std::string& root() const { return root_; }
    const std::string& home() const { return home_; }

  private:
    std::string root_;
    std::string home_;
    std::string bundle_;
};

} // namespace platform
