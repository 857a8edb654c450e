// The Sparkle updater, when the bundle carries it (Contents/Frameworks/Sparkle.framework, with
// the feed in the bundle's SUFeedURL), reached through the Objective-C runtime like the private
// classes. Whether there is one is decided by makeSparkleUpdater.

#include "platform/mac/MacServices.h"
#include "platform/mac/ObjCBridge.h"
#include "platform/mac/SparkleUpdater.h"
#include "platform/mac/SymbolLibrary.h"

@protocol NLStandardUpdaterController
- (instancetype)initWithStartingUpdater:(BOOL)startUpdater
                        updaterDelegate:(id)updaterDelegate
                     userDriverDelegate:(id)userDriverDelegate;
- (void)checkForUpdates:(id)sender;
@end

namespace mac {

namespace {

class SparkleController : public platform::UpdaterController {
  public:
    explicit SparkleController(id<NLStandardUpdaterController> controller)
        : controller_(controller) {}
    void checkForUpdates() override { [controller_ checkForUpdates:nil]; }

  private:
    id<NLStandardUpdaterController> controller_;
};

} // namespace

std::unique_ptr<platform::Updater> makeUpdater(SymbolLibrary& sparkle, ObjCRuntime& runtime,
                                               LogLine log) {
    return makeSparkleUpdater(
        sparkle.opened(), runtime, std::move(log),
        [](void* controllerClass, bool starting) -> std::shared_ptr<platform::UpdaterController> {
            id<NLStandardUpdaterController> controller =
                [[(__bridge Class)controllerClass alloc] initWithStartingUpdater:starting ? YES : NO
                                                                 updaterDelegate:nil
                                                              userDriverDelegate:nil];
            if (!controller) return nullptr;
            return std::make_shared<SparkleController>(controller);
        });
}

} // namespace mac
