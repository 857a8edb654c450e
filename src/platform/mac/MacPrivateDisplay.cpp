// CoreDisplay's information dictionary and DisplayServices' panel brightness: private calls,
// looked up at run time.

#include "platform/mac/CFValues.h"
#include "platform/mac/MacServices.h"
#include "platform/mac/SymbolLibrary.h"

#include <CoreGraphics/CoreGraphics.h>

namespace mac {

namespace {

using CreateInfoDictionary = CFDictionaryRef(CGDirectDisplayID);
using GetBrightness = int(CGDirectDisplayID, float*);
using SetBrightness = int(CGDirectDisplayID, float);

class MacCoreDisplayInfo : public platform::CoreDisplayInfo {
  public:
    explicit MacCoreDisplayInfo(SymbolLibrary& library) : library_(library) {}
    std::optional<platform::Value> createInfoDictionary(platform::DisplayID id) override {
        auto* create =
            library_.function<CreateInfoDictionary>("CoreDisplay_DisplayCreateInfoDictionary");
        if (!create) return std::nullopt;
        CFRef<CFDictionaryRef> info(create(id));
        if (!info) return std::nullopt;
        return toValue(info.get());
    }

  private:
    SymbolLibrary& library_;
};

class MacBuiltInBrightness : public platform::BuiltInBrightness {
  public:
    explicit MacBuiltInBrightness(SymbolLibrary& library) : library_(library) {}
    GetFunction lookupGetBrightness() override {
        auto* get = library_.function<GetBrightness>("DisplayServicesGetBrightness");
        if (!get) return {};
        return [get](platform::DisplayID id, float* level) { return int32_t(get(id, level)); };
    }
    SetFunction lookupSetBrightness() override {
        auto* set = library_.function<SetBrightness>("DisplayServicesSetBrightness");
        if (!set) return {};
        return [set](platform::DisplayID id, float level) { return int32_t(set(id, level)); };
    }

  private:
    SymbolLibrary& library_;
};

} // namespace

std::unique_ptr<platform::CoreDisplayInfo> makeCoreDisplayInfo(SymbolLibrary& coreDisplay) {
    return std::make_unique<MacCoreDisplayInfo>(coreDisplay);
}
std::unique_ptr<platform::BuiltInBrightness> makeBuiltInBrightness(SymbolLibrary& services) {
    return std::make_unique<MacBuiltInBrightness>(services);
}

} // namespace mac
