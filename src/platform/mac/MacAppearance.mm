// The system-wide appearance: SkyLight's private theme calls (looked up at run time) and the
// application's effective appearance, observed for changes.

#include "platform/mac/Handles.h"
#include "platform/mac/MacServices.h"
#include "platform/mac/ObjCBridge.h"
#include "platform/mac/SymbolLibrary.h"

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
    void (^changed)(void) = self.changed;
    if (changed) [NSOperationQueue.mainQueue addOperationWithBlock:changed];
}
@end

namespace mac {

namespace {

using GetTheme = bool();
using SetTheme = void(bool);

NSString* effectiveAppearanceKey() {
    return ns("effectiveAppearance");
}

class MacAppearance : public platform::SystemAppearance {
  public:
    explicit MacAppearance(SymbolLibrary& skyLight) : skyLight_(skyLight) {}
    ~MacAppearance() override {
        observers_.forEach([](auto& observer) {
            [NSApplication.sharedApplication removeObserver:observer
                                                 forKeyPath:effectiveAppearanceKey()];
        });
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
    bool applicationAppearanceIsDark() const override {
        NSAppearance* appearance = NSApplication.sharedApplication.effectiveAppearance;
        NSAppearanceName names[] = {NSAppearanceNameAqua, NSAppearanceNameDarkAqua};
        NSAppearanceName best =
            [appearance bestMatchFromAppearancesWithNames:[NSArray arrayWithObjects:names count:2]];
        return best && [best isEqualToString:NSAppearanceNameDarkAqua];
    }
    int addAppearanceObserver(std::function<void()> handler) override {
        NLAppearanceObserver* observer = [[NLAppearanceObserver alloc] init];
        observer.changed = ^{
          if (handler) handler();
        };
        // The application follows the system's appearance, so its change is the system's.
        [NSApplication.sharedApplication addObserver:observer
                                          forKeyPath:effectiveAppearanceKey()
                                             options:NSKeyValueObservingOptionNew
                                             context:nullptr];
        return int(observers_.add(observer));
    }
    void removeAppearanceObserver(int token) override {
        if (auto observer = observers_.take(uint64_t(token)))
            [NSApplication.sharedApplication removeObserver:*observer
                                                 forKeyPath:effectiveAppearanceKey()];
    }

  private:
    SymbolLibrary& skyLight_;
    HandleTable<NLAppearanceObserver*> observers_;
};

} // namespace

std::unique_ptr<platform::SystemAppearance> makeAppearance(SymbolLibrary& skyLight) {
    return std::make_unique<MacAppearance>(skyLight);
}

} // namespace mac
