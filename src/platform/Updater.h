#pragma once
// The software updater (a standard updater controller).

#include <memory>

namespace platform {

class UpdaterController {
  public:
    virtual ~UpdaterController() = default;
    virtual void checkForUpdates() = 0;
};

class Updater {
  public:
    virtual ~Updater() = default;
    // Created with its own scheduled checks started when startingUpdater is true.
    virtual std::shared_ptr<UpdaterController> createStandardController(bool startingUpdater) = 0;
};

} // namespace platform
