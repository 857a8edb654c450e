#include "platform/mac/MenuTargets.h"

#include "platform/mac/ObjCBridge.h"

@implementation NLActionTarget {
    std::function<void()> _callback;
}
- (void)setCallback:(std::function<void()>)callback {
    _callback = std::move(callback);
}
- (void)fire:(id)sender {
    (void)sender;
    if (_callback) _callback();
}
@end

@implementation NLMenuTarget {
    std::vector<std::function<void()>> _actions;
}
- (NSMenu*)menuFor:(const platform::Menu&)menu {
    _actions.clear();
    NSMenu* native = [[NSMenu alloc] initWithTitle:mac::ns("")];
    // The program decides which items are enabled, not AppKit's validation.
    native.autoenablesItems = NO;
    for (const auto& item : menu.items) {
        if (item.isSeparator) {
            [native addItem:[NSMenuItem separatorItem]];
            continue;
        }
        NSMenuItem* entry = [[NSMenuItem alloc] initWithTitle:mac::ns(item.title)
                                                       action:@selector(choose:)
                                                keyEquivalent:mac::ns(item.keyEquivalent)];
        entry.target = self;
        entry.tag = NSInteger(_actions.size());
        entry.enabled = item.enabled;
        _actions.push_back(item.action);
        [native addItem:entry];
    }
    return native;
}
- (void)choose:(NSMenuItem*)sender {
    const NSInteger index = sender.tag;
    if (index < 0 || size_t(index) >= _actions.size() || !_actions[size_t(index)]) return;
    _actions[size_t(index)]();
}
@end
