// AppKit's local and global event monitors. Global ones see other applications' keys only with
// the Accessibility permission.

#include "platform/mac/MacServices.h"
#include "platform/mac/ObjCBridge.h"

#include <map>

namespace mac {

namespace {

class MacInputActivity : public platform::InputActivity {
  public:
    ~MacInputActivity() override {
        for (auto& [token, monitor] : monitors_)
            [NSEvent removeMonitor:monitor];
    }

    int addLocalMonitorForEvents(platform::EventMask mask, LocalHandler handler) override {
        id monitor = [NSEvent
            addLocalMonitorForEventsMatchingMask:eventMask(mask)
                                         handler:^NSEvent*(NSEvent* event) {
                                           // None consumes the event.
                                           return handler(platformEvent(event)) ? event : nil;
                                         }];
        return keep(monitor);
    }
    int addGlobalMonitorForEvents(platform::EventMask mask, GlobalHandler handler) override {
        id monitor = [NSEvent addGlobalMonitorForEventsMatchingMask:eventMask(mask)
                                                            handler:^(NSEvent* event) {
                                                              handler(platformEvent(event));
                                                            }];
        return keep(monitor);
    }
    void removeMonitor(int token) override {
        auto found = monitors_.find(token);
        if (found == monitors_.end()) return;
        [NSEvent removeMonitor:found->second];
        monitors_.erase(found);
    }

  private:
    // A monitor that could not be installed still gets a token, which removes nothing.
    int keep(id monitor) {
        const int token = ++last_;
        if (monitor) monitors_[token] = monitor;
        return token;
    }

    int last_ = 0;
    std::map<int, id> monitors_;
};

} // namespace

std::unique_ptr<platform::InputActivity> makeInputActivity() {
    return std::make_unique<MacInputActivity>();
}

} // namespace mac
