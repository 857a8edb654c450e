// The Sparkle updater, when the bundle carries it (Contents/Frameworks/Sparkle.framework, with
// the feed in the bundle's SUFeedURL). Reached through the Objective-C runtime like the private
// classes: without the framework, update checks are off with one log line.

#include "platform/mac/MacServices.h"
#include "platform/mac/ObjCBridge.h"
#include "platform/mac/ObjCClasses.h"
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
    SparkleController(CheckedClass& type, id<NLStandardUpdaterController> controller)
        : type_(type), controller_(controller) {}
    void checkForUpdates() override {
        if (controller_ && type_.has("checkForUpdates:")) [controller_ checkForUpdates:nil];
    }

  private:
    CheckedClass& type_;
    id<NLStandardUpdaterController> controller_;
};

class MacUpdater : public platform::Updater {
  public:
    MacUpdater(SymbolLibrary& sparkle, ObjCRuntime& runtime, CheckedClass::Log log)
        : sparkle_(sparkle), controllerClass_(runtime, "SPUStandardUpdaterController",
                                              "checking for updates", std::move(log)) {}
    std::shared_ptr<platform::UpdaterController> createStandardController(bool starting) override {
        id<NLStandardUpdaterController> controller = nil;
        if (sparkle_.opened() && controllerClass_.get() &&
            controllerClass_.has("initWithStartingUpdater:updaterDelegate:userDriverDelegate:"))
            controller = [[(__bridge Class)controllerClass_.get() alloc]
                initWithStartingUpdater:starting ? YES : NO
                        updaterDelegate:nil
                     userDriverDelegate:nil];
        return std::make_shared<SparkleController>(controllerClass_, controller);
    }

  private:
    SymbolLibrary& sparkle_;
    CheckedClass controllerClass_;
};

} // namespace

std::unique_ptr<platform::Updater> makeUpdater(SymbolLibrary& sparkle, ObjCRuntime& runtime,
                                               LogLine log) {
    return std::make_unique<MacUpdater>(sparkle, runtime, std::move(log));
}

} // namespace mac
