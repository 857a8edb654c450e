#include "platform/mac/SparkleUpdater.h"

#include <string>
#include <utility>

namespace mac {

namespace {

class SparkleUpdater : public platform::Updater {
  public:
    SparkleUpdater(ObjCRuntime& runtime, CheckedClass::Log log, MakeSparkleController make)
        : controllerClass_(runtime, "SPUStandardUpdaterController", "checking for updates",
                           std::move(log)),
          make_(std::move(make)) {}

    std::shared_ptr<platform::UpdaterController> createStandardController(bool starting) override {
        // Both checked before one is made: a controller that cannot check is no updater.
        if (!controllerClass_.has("initWithStartingUpdater:updaterDelegate:userDriverDelegate:") ||
            !controllerClass_.has("checkForUpdates:"))
            return nullptr;
        return make_(controllerClass_.get(), starting);
    }

  private:
    CheckedClass controllerClass_;
    MakeSparkleController make_;
};

} // namespace

std::unique_ptr<platform::Updater> makeSparkleUpdater(bool frameworkOpened, ObjCRuntime& runtime,
                                                      CheckedClass::Log log,
                                                      MakeSparkleController make) {
    if (!frameworkOpened) return nullptr;
    return std::make_unique<SparkleUpdater>(runtime, std::move(log), std::move(make));
}

} // namespace mac
