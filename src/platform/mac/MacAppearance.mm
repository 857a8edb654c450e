// The application's light or dark appearance, read from AppKit and observed as it changes, so
// the windows that follow the system turn dark with it; and the system-wide switch, SkyLight's
// private calls looked up at run time.

#include "platform/RunLoop.h"
#include "platform/mac/AppearanceWatch.h"
#include "platform/mac/MacServices.h"
#include "platform/mac/ObjCBridge.h"
#include "platform/mac/SymbolLibrary.h"

#include <functional>
#include <memory>
#include <utility>

// Key-value observation of the application's effective appearance.
@interface NLAppearanceObserver : NSObject
@property(nonatomic, copy) void (^changed)(void);
@end

@implementation NLAppearanceObserver
- (void)observeValueForKeyPath:(NSString*)keyPath
                      ofObject:(id)object
                        change:(NSDictionary<NSKeyValueChangeKey, id>*)change
                       context:(void*)context {
    (void)keyPath;
    (void)object;
    (void)change;
    (void)context;
    if (self.changed) self.changed();
}
@end

namespace mac {

namespace {

using GetTheme = bool();
using SetTheme = void(bool);

NSString* const kEffectiveAppearance = @"effectiveAppearance";

bool applicationIsDark() {
    NSAppearance* appearance = NSApplication.sharedApplication.effectiveAppearance;
    NSAppearanceName match = [appearance
        bestMatchFromAppearancesWithNames:@[ NSAppearanceNameAqua, NSAppearanceNameDarkAqua ]];
    return [match isEqualToString:NSAppearanceNameDarkAqua];
}

class MacAppearance : public platform::SystemAppearance {
  public:
    explicit MacAppearance(SymbolLibrary& skyLight)
        : skyLight_(skyLight), watch_(applicationIsDark(), [](std::function<void()> task) {
              platform::mainQueue().async(std::move(task));
          }) {
        observer_ = [[NLAppearanceObserver alloc] init];
        AppearanceWatch* watch = &watch_;
        observer_.changed = ^{
          watch->reported(applicationIsDark());
        };
        [NSApplication.sharedApplication addObserver:observer_
                                          forKeyPath:kEffectiveAppearance
                                             options:NSKeyValueObservingOptionNew
                                             context:nullptr];
    }
    ~MacAppearance() override {
        [NSApplication.sharedApplication removeObserver:observer_ forKeyPath:kEffectiveAppearance];
        observer_.changed = nil;
    }

    GetThemeFunction lookupGetTheme() override {
        auto* get = skyLight_.function<GetTheme>("SLSGetAppearanceThemeLegacy");
        if (!get) return {};
        return [get] { return get(); };
    }
    SetThemeFunction lookupSetTheme() override {
        auto* set = skyLight_.function<SetTheme>("SLSSetAppearanceThemeLegacy");
        if (!set) return {};
        return [set](bool dark) { set(dark); };
    }
    bool applicationAppearanceIsDark() const override { return applicationIsDark(); }
    int addAppearanceObserver(std::function<void()> handler) override {
        return watch_.add(std::move(handler));
    }
    void removeAppearanceObserver(int token) override { watch_.remove(token); }

  private:
    SymbolLibrary& skyLight_;
    AppearanceWatch watch_;
    NLAppearanceObserver* observer_ = nil;
};

} // namespace

std::unique_ptr<platform::SystemAppearance> makeAppearance(SymbolLibrary& skyLight) {
    return std::make_unique<MacAppearance>(skyLight);
}

} // namespace mac
