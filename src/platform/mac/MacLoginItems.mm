// Launching at login: the application's own login item (Service Management, macOS 13 and later).

#include "platform/mac/MacServices.h"
#include "platform/mac/ObjCBridge.h"
#include "platform/mac/SystemAnswers.h"

#include <ServiceManagement/ServiceManagement.h>

namespace mac {

namespace {

class MacLoginItems : public platform::LoginItems {
  public:
    bool hasMainAppService() const override { return true; }
    platform::LoginItemStatus mainAppStatus() const override {
        return loginItemStatus(long(SMAppService.mainAppService.status));
    }
    std::optional<std::string> registerMainApp() override {
        NSError* error = nil;
        if ([SMAppService.mainAppService registerAndReturnError:&error]) return std::nullopt;
        return str(error.localizedDescription);
    }
    std::optional<std::string> unregisterMainApp() override {
        NSError* error = nil;
        if ([SMAppService.mainAppService unregisterAndReturnError:&error]) return std::nullopt;
        return str(error.localizedDescription);
    }
    void openLoginItemsSettings() override { [SMAppService openSystemSettingsLoginItems]; }
};

} // namespace

std::unique_ptr<platform::LoginItems> makeLoginItems() {
    return std::make_unique<MacLoginItems>();
}

} // namespace mac
