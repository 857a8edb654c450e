#pragma once
// One run of the program on whatever platform it was given: what the entry function does
// (the delegate, the activation policy, the launch on the loop's first turn), the application
// object's reopen and terminate, and the end of the program's singletons.

#include <functional>
#include <memory>

class AppDelegate;

namespace platform {
struct Platform;
}

class ApplicationSession {
  public:
    // Installs the platform as the current one; it must outlive the session.
    explicit ApplicationSession(platform::Platform& platform);
    ~ApplicationSession();
    ApplicationSession(const ApplicationSession&) = delete;
    ApplicationSession& operator=(const ApplicationSession&) = delete;

    void launch();
    bool terminated() const { return terminated_; }
    // Called once the delegate's will-terminate has run (the interactive program quits Qt here).
    void setOnTerminated(std::function<void()> handler) { onTerminated_ = std::move(handler); }
    AppDelegate& delegate() { return *delegate_; }

  private:
    platform::Platform& platform_;
    std::unique_ptr<AppDelegate> delegate_;
    bool terminated_ = false;
    std::function<void()> onTerminated_;
};

class QApplication;

// The program on a platform of its own, on Qt's event loop until it quits; the exit code.
int runApplication(QApplication& app, platform::Platform& platform);
