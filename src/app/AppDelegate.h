#pragma once
// The application's delegate: start-up, reopening and shut-down.

#include <memory>

namespace platform {
class UpdaterController;
}

class AppDelegate {
  public:
    AppDelegate() = default;
    ~AppDelegate();
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    // The application's delegate, as the entry function set it (null before that).
    static AppDelegate* current();
    static void setShared(AppDelegate* delegate);

    void applicationDidFinishLaunching();
    bool applicationShouldHandleReopen(bool hasVisibleWindows);
    void applicationWillTerminate();

    std::shared_ptr<platform::UpdaterController> updaterController;
};
