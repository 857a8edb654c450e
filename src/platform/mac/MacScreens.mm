// AppKit's screens and the screen-parameters notification.

#include "platform/mac/MacServices.h"
#include "platform/mac/ObjCBridge.h"
#include "platform/mac/ScreenCoordinates.h"

#include <map>

namespace mac {

namespace {

platform::Rect rect(NSRect r) {
    return {r.origin.x, r.origin.y, r.size.width, r.size.height};
}

class MacScreens : public platform::Screens {
  public:
    ~MacScreens() override {
        for (auto& [token, observer] : observers_)
            [NSNotificationCenter.defaultCenter removeObserver:observer];
    }

    std::vector<platform::Screen> screens() override {
        NSArray<NSScreen*>* all = NSScreen.screens;
        std::vector<platform::Screen> out;
        if (all.count == 0) return out;
        // The first screen holds the menu bar and the origin of AppKit's coordinates.
        const double primaryHeight = [all objectAtIndex:0].frame.size.height;
        for (NSUInteger i = 0; i < all.count; ++i) {
            NSScreen* screen = [all objectAtIndex:i];
            platform::Screen s;
            id number = [screen.deviceDescription objectForKey:ns("NSScreenNumber")];
            if (number)
                s.deviceDescription.set(
                    "NSScreenNumber",
                    platform::Value(int64_t([(NSNumber*)number unsignedIntValue])));
            s.localizedName = str(screen.localizedName);
            s.frame = topLeftFrame(rect(screen.frame), primaryHeight);
            s.visibleFrame = topLeftFrame(rect(screen.visibleFrame), primaryHeight);
            out.push_back(s);
        }
        return out;
    }
    int addScreenParametersObserver(std::function<void()> handler) override {
        id observer = [NSNotificationCenter.defaultCenter
            addObserverForName:NSApplicationDidChangeScreenParametersNotification
                        object:nil
                         queue:NSOperationQueue.mainQueue
                    usingBlock:^(NSNotification*) {
                      handler();
                    }];
        observers_[++last_] = observer;
        return last_;
    }
    void removeScreenParametersObserver(int token) override {
        auto found = observers_.find(token);
        if (found == observers_.end()) return;
        [NSNotificationCenter.defaultCenter removeObserver:found->second];
        observers_.erase(found);
    }

  private:
    int last_ = 0;
    std::map<int, id> observers_;
};

} // namespace

std::unique_ptr<platform::Screens> makeScreens() {
    return std::make_unique<MacScreens>();
}

} // namespace mac
