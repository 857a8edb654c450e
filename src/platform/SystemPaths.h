#pragma once
// System paths ("/Library/...") mapped into the machine's root folder, and the user's own
// ("~/Library/...") into the user's home folder.

#include <atomic>
#include <functional>
#include <mutex>
#include <string>

namespace platform {

class SystemPaths {
  public:
    // An empty root maps every path to itself (a real machine).
    explicit SystemPaths(std::string root = {}, std::string home = {})
        : root_(std::move(root)), home_(std::move(home)) {}
    SystemPaths(const SystemPaths&) = delete;
    SystemPaths& operator=(const SystemPaths&) = delete;

    std::string map(const std::string& systemPath) const {
        std::string mapped = mapOnly(systemPath);
        if (!provided_.load(std::memory_order_acquire) && beneath(onFirstUse_, mapped))
            std::call_once(provideOnce_, [this] {
                provide_();
                provided_.store(true, std::memory_order_release);
            });
        return mapped;
    }

    // A file put in place only when its path, or a folder above it, is first mapped: a large
    // file few runs look at need not be written at every start. Set before the machine runs.
    void provideOnFirstUse(const std::string& systemPath, std::function<void()> provide) {
        onFirstUse_ = mapOnly(systemPath);
        provide_ = std::move(provide);
        provided_.store(false, std::memory_order_release);
    }

    // The application bundle's location on this machine (a real path).
    const std::string& bundlePath() const { return bundle_; }
    void setBundlePath(std::string path) { bundle_ = std::move(path); }
    const std::string& root() const { return root_; }
    const std::string& home() const { return home_; }

  private:
    std::string mapOnly(const std::string& systemPath) const {
        if (systemPath.rfind("~/", 0) == 0) return home_ + systemPath.substr(1);
        if (root_.empty()) return systemPath;
        return root_ + (systemPath.empty() || systemPath[0] != '/' ? "/" : "") + systemPath;
    }

    // True when path is folder or lies beneath it.
    static bool beneath(const std::string& path, std::string folder) {
        while (folder.size() > 1 && folder.back() == '/')
            folder.pop_back();
        return path.rfind(folder, 0) == 0 &&
               (path.size() == folder.size() || folder == "/" || path[folder.size()] == '/');
    }

    std::string root_;
    std::string home_;
    std::string bundle_;
    std::string onFirstUse_;
    std::function<void()> provide_;
    mutable std::once_flag provideOnce_;
    mutable std::atomic<bool> provided_{true};
};

} // namespace platform
