// IOKit's power sources and power assertions.

#include "platform/mac/CFValues.h"
#include "platform/mac/MacServices.h"

#include <IOKit/ps/IOPowerSources.h>
#include <IOKit/pwr_mgt/IOPMLib.h>

#include <functional>
#include <vector>

namespace mac {

namespace {

class MacPowerSources : public platform::PowerSources {
  public:
    std::optional<std::vector<platform::Value>> powerSourceDescriptions() override {
        CFRef<CFTypeRef> info(IOPSCopyPowerSourcesInfo());
        if (!info) return std::nullopt;
        CFRef<CFArrayRef> list(IOPSCopyPowerSourcesList(info.get()));
        if (!list) return std::nullopt;
        std::vector<platform::Value> out;
        for (CFIndex i = 0; i < CFArrayGetCount(list.get()); ++i) {
            // Owned by info: not released here.
            CFDictionaryRef description =
                IOPSGetPowerSourceDescription(info.get(), CFArrayGetValueAtIndex(list.get(), i));
            if (description) out.push_back(toValue(description));
        }
        return out;
    }
    bool addPowerSourceNotification(std::function<void()> callback) override {
        auto* kept = new std::function<void()>(std::move(callback));
        CFRunLoopSourceRef source = IOPSNotificationCreateRunLoopSource(
            [](void* context) { (*static_cast<std::function<void()>*>(context))(); }, kept);
        if (!source) {
            delete kept;
            return false;
        }
        // The source and its callback live as long as the program.
        callbacks_.emplace_back(kept);
        CFRunLoopAddSource(CFRunLoopGetMain(), source, kCFRunLoopDefaultMode);
        CFRelease(source);
        return true;
    }

  private:
    std::vector<std::unique_ptr<std::function<void()>>> callbacks_;
};

class MacPowerAssertions : public platform::PowerAssertions {
  public:
    int32_t createAssertion(const std::string& type, int level, const std::string& name,
                            uint32_t& id) override {
        auto typeName = makeString(type);
        auto reason = makeString(name);
        IOPMAssertionID created = 0;
        const IOReturn result = IOPMAssertionCreateWithName(
            typeName.get(), IOPMAssertionLevel(level), reason.get(), &created);
        if (result == 0) id = created;
        return result;
    }
    int32_t releaseAssertion(uint32_t id) override { return IOPMAssertionRelease(id); }
};

} // namespace

std::unique_ptr<platform::PowerSources> makePowerSources() {
    return std::make_unique<MacPowerSources>();
}
std::unique_ptr<platform::PowerAssertions> makePowerAssertions() {
    return std::make_unique<MacPowerAssertions>();
}

} // namespace mac
