// The application object (through Qt's, which owns AppKit's delegate) and the workspace's
// running applications.

#include "platform/mac/MacServices.h"
#include "platform/mac/ObjCBridge.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QObject>
#include <QtGui/qevent.h>

namespace mac {

namespace {

class MacRunningApplication : public platform::RunningApplication {
  public:
    explicit MacRunningApplication(NSRunningApplication* application) : application_(application) {}
    std::string bundleIdentifier() const override { return str(application_.bundleIdentifier); }
    bool terminate() override { return [application_ terminate]; }

  private:
    NSRunningApplication* application_;
};

// Qt answers AppKit's reopen by making the application active again even when it already is;
// a change to active while active is that reopen.
class ReopenWatcher : public QObject {
  public:
    std::function<void()> reopened;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ApplicationStateChange) {
            const auto state =
                static_cast<QApplicationStateChangeEvent*>(event)->applicationState();
            if (state == Qt::ApplicationActive && last_ == Qt::ApplicationActive && reopened)
                reopened();
            last_ = state;
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    Qt::ApplicationState last_ = Qt::ApplicationInactive;
};

class MacApplications : public platform::Applications {
  public:
    MacApplications() {
        if (qApp) qApp->installEventFilter(&watcher_);
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, &watcher_, [this] {
            if (willTerminate_) willTerminate_();
        });
    }
    ~MacApplications() override {
        if (qApp) qApp->removeEventFilter(&watcher_);
    }

    std::vector<std::shared_ptr<platform::RunningApplication>>
    runningApplications(const std::string& bundleIdentifier) override {
        NSArray<NSRunningApplication*>* found =
            [NSRunningApplication runningApplicationsWithBundleIdentifier:ns(bundleIdentifier)];
        std::vector<std::shared_ptr<platform::RunningApplication>> out;
        for (NSUInteger i = 0; i < found.count; ++i)
            out.push_back(std::make_shared<MacRunningApplication>([found objectAtIndex:i]));
        return out;
    }
    void setActivationPolicy(platform::ActivationPolicy policy) override {
        [NSApplication.sharedApplication
            setActivationPolicy:NSApplicationActivationPolicy(int(policy))];
    }
    // From macOS 14 an application no longer takes the front by ignoring the others: the
    // old calls do nothing there, and activate is the one that works.
    void activateIgnoringOtherApps() override {
        if (@available(macOS 14.0, *))
            [NSApplication.sharedApplication activate];
        else
            [NSApplication.sharedApplication activateIgnoringOtherApps:YES];
    }
    void activateRunningApplication() override {
        NSRunningApplication* current = NSRunningApplication.currentApplication;
        if (@available(macOS 14.0, *))
            [current activateWithOptions:NSApplicationActivateAllWindows];
        else
            [current activateWithOptions:NSApplicationActivateAllWindows |
                                         NSApplicationActivateIgnoringOtherApps];
    }
    void executeAppleScript(const std::string& source) override {
        NSAppleScript* script = [[NSAppleScript alloc] initWithSource:ns(source)];
        NSDictionary<NSString*, id>* error = nil;
        [script executeAndReturnError:&error];
    }
    std::optional<platform::Event> currentEvent() override {
        NSEvent* event = NSApplication.sharedApplication.currentEvent;
        if (!event) return std::nullopt;
        return platformEvent(event);
    }
    void terminate() override {
        // Qt's quit ends the loop; aboutToQuit tells the delegate first.
        QCoreApplication::quit();
    }
    void setLifecycleHandlers(std::function<void()> reopened,
                              std::function<void()> willTerminate) override {
        watcher_.reopened = std::move(reopened);
        willTerminate_ = std::move(willTerminate);
    }

  private:
    ReopenWatcher watcher_;
    std::function<void()> willTerminate_;
};

} // namespace

std::unique_ptr<platform::Applications> makeApplications() {
    return std::make_unique<MacApplications>();
}

} // namespace mac
