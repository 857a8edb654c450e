#include "app/ApplicationSession.h"

#include "app/AppDelegate.h"
#include "app/BlackoutController.h"
#include "appkit/Window.h"
#include "display/DisplayEngine.h"
#include "platform/Applications.h"
#include "platform/Platform.h"
#include "platform/RunLoop.h"
#include "platform/SerialQueue.h"

#include <QApplication>
#include <QPixmapCache>

ApplicationSession::ApplicationSession(platform::Platform& platform) : platform_(platform) {
    // The style caches what it draws under keys made of each control's palette, and every
    // rebuilt window gives its controls new palettes: entries are never found again, and their
    // keys stay even once the pixmaps are gone (about a kilobyte per slider per rebuild, for
    // good). Drawing our few controls afresh costs less than that.
    QPixmapCache::setCacheLimit(0);
    platform::setCurrent(&platform_);
    platform_.applications->setLifecycleHandlers(
        [this] {
            if (!terminated_ && delegate_)
                delegate_->applicationShouldHandleReopen(!appkit::Window::orderedWindows().empty());
        },
        [this] {
            if (terminated_) return;
            terminated_ = true;
            if (delegate_) delegate_->applicationWillTerminate();
            if (onTerminated_) onTerminated_();
        });
}

ApplicationSession::~ApplicationSession() {
    platform_.applications->setLifecycleHandlers(nullptr, nullptr);
    if (auto* global = platform_.globalQueue) global->drain();
    BlackoutController::tearDownShared();
    DisplayEngine::tearDownShared();
    // What the teardown itself queued (a last refresh, a release) ends before the platform goes.
    if (auto* global = platform_.globalQueue) global->drain();
    platform::setCurrent(nullptr);
}

void ApplicationSession::launch() {
    delegate_ = std::make_unique<AppDelegate>();
    AppDelegate::setShared(delegate_.get());
    platform_.applications->setActivationPolicy(platform::ActivationPolicy::regular);
    platform::mainQueue().async([this] { delegate_->applicationDidFinishLaunching(); });
}

int runApplication(QApplication& app, platform::Platform& platform) {
    ApplicationSession session(platform);
    session.setOnTerminated([] { QApplication::quit(); });
    session.launch();
    return app.exec();
}
