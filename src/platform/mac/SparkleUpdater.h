#pragma once
// Which updater a bundle offers. Sparkle's standard controller when the bundle carries the
// framework and its controller class answers both calls this build makes; otherwise none, and
// "Check for Updates..." says that this build does not update itself rather than doing nothing.

#include "platform/Updater.h"
#include "platform/mac/ObjCClasses.h"

#include <functional>
#include <memory>

namespace mac {

// Makes Sparkle's controller from its class (Objective-C, so the caller's); null when it fails.
using MakeSparkleController = std::function<std::shared_ptr<platform::UpdaterController>(
    void* controllerClass, bool startingUpdater)>;

// Null when the framework is not in the bundle.
std::unique_ptr<platform::Updater> makeSparkleUpdater(bool frameworkOpened, ObjCRuntime& runtime,
                                                      CheckedClass::Log log,
                                                      MakeSparkleController make);

} // namespace mac
