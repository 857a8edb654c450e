#include "platform/mac/CFValues.h"
#include "platform/mac/MacServices.h"

#include <CoreGraphics/CoreGraphics.h>

#include <map>

namespace mac {

namespace {

platform::DisplayMode describe(CGDisplayModeRef mode) {
    platform::DisplayMode out;
    out.width = int(CGDisplayModeGetWidth(mode));
    out.height = int(CGDisplayModeGetHeight(mode));
    out.pixelWidth = int(CGDisplayModeGetPixelWidth(mode));
    out.pixelHeight = int(CGDisplayModeGetPixelHeight(mode));
    out.refreshRate = CGDisplayModeGetRefreshRate(mode);
    out.usableForDesktop = CGDisplayModeIsUsableForDesktopGUI(mode);
    return out;
}

// Every mode, the low-resolution duplicates included, as the system lists them.
CFRef<CFArrayRef> allModes(platform::DisplayID id) {
    const void* keys[] = {kCGDisplayShowDuplicateLowResolutionModes};
    const void* values[] = {kCFBooleanTrue};
    CFMutableDictionaryRef options = CFDictionaryCreateMutable(
        kCFAllocatorDefault, 1, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    CFDictionarySetValue(options, keys[0], values[0]);
    CFRef<CFDictionaryRef> owned(options);
    return CFRef<CFArrayRef>(CGDisplayCopyAllDisplayModes(id, owned.get()));
}

class MacDisplays : public platform::Displays {
  public:
    ~MacDisplays() override {
        for (auto& [number, config] : configs_)
            CGCancelDisplayConfiguration(config);
    }

    platform::CGError getOnlineDisplayList(uint32_t maxDisplays,
                                           std::vector<platform::DisplayID>& out) override {
        std::vector<CGDirectDisplayID> ids(maxDisplays);
        uint32_t count = 0;
        const CGError error = CGGetOnlineDisplayList(maxDisplays, ids.data(), &count);
        out.assign(ids.begin(), ids.begin() + std::min(count, maxDisplays));
        return error;
    }
    bool isBuiltin(platform::DisplayID id) override { return CGDisplayIsBuiltin(id) != 0; }
    platform::Rect bounds(platform::DisplayID id) override {
        const CGRect r = CGDisplayBounds(id);
        return {r.origin.x, r.origin.y, r.size.width, r.size.height};
    }
    platform::DisplayID mainDisplayID() override { return CGMainDisplayID(); }
    platform::DisplayID mirrorsDisplay(platform::DisplayID id) override {
        return CGDisplayMirrorsDisplay(id);
    }

    std::optional<std::vector<platform::DisplayMode>>
    copyAllDisplayModes(platform::DisplayID id) override {
        auto modes = allModes(id);
        if (!modes) return std::nullopt;
        std::vector<platform::DisplayMode> out;
        for (CFIndex i = 0; i < CFArrayGetCount(modes.get()); ++i)
            out.push_back(describe(modeAt(modes.get(), i)));
        return out;
    }
    std::optional<platform::DisplayMode> copyDisplayMode(platform::DisplayID id) override {
        CGDisplayModeRef mode = CGDisplayCopyDisplayMode(id);
        if (!mode) return std::nullopt;
        auto out = describe(mode);
        CGDisplayModeRelease(mode);
        return out;
    }

    platform::CGError beginDisplayConfiguration(platform::DisplayConfigRef& config) override {
        CGDisplayConfigRef native = nullptr;
        const CGError error = CGBeginDisplayConfiguration(&native);
        if (error != kCGErrorSuccess) return error;
        config = ++lastConfig_;
        configs_[config] = native;
        return error;
    }
    platform::CGError configureDisplayWithDisplayMode(platform::DisplayConfigRef config,
                                                      platform::DisplayID id,
                                                      const platform::DisplayMode& mode) override {
        auto native = configs_.find(config);
        if (native == configs_.end()) return kCGErrorIllegalArgument;
        // The mode comes back as data: the system's own mode object is the one equal to it.
        auto modes = allModes(id);
        for (CFIndex i = 0; modes && i < CFArrayGetCount(modes.get()); ++i) {
            CGDisplayModeRef candidate = modeAt(modes.get(), i);
            if (describe(candidate) == mode)
                return CGConfigureDisplayWithDisplayMode(native->second, id, candidate, nullptr);
        }
        return kCGErrorIllegalArgument;
    }
    platform::CGError configureDisplayOrigin(platform::DisplayConfigRef config,
                                             platform::DisplayID id, int32_t x,
                                             int32_t y) override {
        auto native = configs_.find(config);
        if (native == configs_.end()) return kCGErrorIllegalArgument;
        return CGConfigureDisplayOrigin(native->second, id, x, y);
    }
    platform::CGError configureDisplayMirrorOfDisplay(platform::DisplayConfigRef config,
                                                      platform::DisplayID id,
                                                      platform::DisplayID master) override {
        auto native = configs_.find(config);
        if (native == configs_.end()) return kCGErrorIllegalArgument;
        return CGConfigureDisplayMirrorOfDisplay(native->second, id, master);
    }
    platform::CGError completeDisplayConfiguration(platform::DisplayConfigRef config,
                                                   platform::ConfigureOption option) override {
        auto native = configs_.find(config);
        if (native == configs_.end()) return kCGErrorIllegalArgument;
        const CGError error =
            CGCompleteDisplayConfiguration(native->second, CGConfigureOption(option));
        configs_.erase(native); // completed or not, the transaction is over
        return error;
    }
    platform::CGError cancelDisplayConfiguration(platform::DisplayConfigRef config) override {
        auto native = configs_.find(config);
        if (native == configs_.end()) return kCGErrorIllegalArgument;
        const CGError error = CGCancelDisplayConfiguration(native->second);
        configs_.erase(native);
        return error;
    }

  private:
    static CGDisplayModeRef modeAt(CFArrayRef modes, CFIndex i) {
        return static_cast<CGDisplayModeRef>(const_cast<void*>(CFArrayGetValueAtIndex(modes, i)));
    }

    platform::DisplayConfigRef lastConfig_ = 0;
    std::map<platform::DisplayConfigRef, CGDisplayConfigRef> configs_;
};

class MacTransferTables : public platform::TransferTables {
  public:
    platform::CGError getDisplayTransferByTable(platform::DisplayID id, uint32_t capacity,
                                                float* red, float* green, float* blue,
                                                uint32_t* sampleCount) override {
        return CGGetDisplayTransferByTable(id, capacity, red, green, blue, sampleCount);
    }
    platform::CGError setDisplayTransferByTable(platform::DisplayID id, uint32_t tableSize,
                                                const float* red, const float* green,
                                                const float* blue) override {
        return CGSetDisplayTransferByTable(id, tableSize, red, green, blue);
    }
    void restoreColorSyncSettings() override { CGDisplayRestoreColorSyncSettings(); }
};

// Hides the cursor on every display: the main display's call hides it everywhere.
class MacCursor : public platform::Cursor {
  public:
    void hide() override { CGDisplayHideCursor(CGMainDisplayID()); }
    void unhide() override { CGDisplayShowCursor(CGMainDisplayID()); }
};

} // namespace

std::unique_ptr<platform::Displays> makeDisplays() {
    return std::make_unique<MacDisplays>();
}
std::unique_ptr<platform::TransferTables> makeTransferTables() {
    return std::make_unique<MacTransferTables>();
}
std::unique_ptr<platform::Cursor> makeCursor() {
    return std::make_unique<MacCursor>();
}

} // namespace mac
