// The system status bar: one native status item with its button, image, title and menu.

#include "platform/mac/MacServices.h"
#include "platform/mac/MenuTargets.h"
#include "platform/mac/ObjCBridge.h"

namespace mac {

namespace {

class MacStatusItem : public platform::StatusItem {
  public:
    explicit MacStatusItem(double length)
        : item_([NSStatusBar.systemStatusBar statusItemWithLength:length]),
          target_([[NLActionTarget alloc] init]), menuTarget_([[NLMenuTarget alloc] init]) {}
    ~MacStatusItem() override { [NSStatusBar.systemStatusBar removeStatusItem:item_]; }

    bool hasButton() const override { return item_.button != nil; }
    void setImage(const std::optional<std::string>& symbolName,
                  const std::string& accessibilityDescription) override {
        if (!item_.button) return;
        NSImage* image = nil;
        if (symbolName) {
            image = [NSImage imageWithSystemSymbolName:ns(*symbolName)
                              accessibilityDescription:ns(accessibilityDescription)];
            // Drawn in the menu bar's own colour, light or dark.
            [image setTemplate:YES];
        }
        item_.button.image = image;
    }
    void setTitle(const std::string& title) override {
        if (item_.button) item_.button.title = ns(title);
    }
    void setToolTip(const std::string& toolTip) override {
        if (item_.button) item_.button.toolTip = ns(toolTip);
    }
    void setAction(std::function<void()> action, platform::SendActionOn on) override {
        NSStatusBarButton* button = item_.button;
        if (!button) return;
        [target_ setCallback:std::move(action)];
        button.target = target_;
        button.action = @selector(fire:);
        NSEventMask mask = 0;
        if (on.leftMouseUp) mask |= NSEventMask(1) << NSEventTypeLeftMouseUp;
        if (on.rightMouseUp) mask |= NSEventMask(1) << NSEventTypeRightMouseUp;
        [button sendActionOn:mask];
    }
    platform::Rect buttonBounds() const override {
        if (!item_.button) return {};
        const NSRect r = item_.button.bounds;
        return {r.origin.x, r.origin.y, r.size.width, r.size.height};
    }
    void popUpMenu(const platform::Menu& menu, platform::Point inButton) override {
        NSMenu* native = [menuTarget_ menuFor:menu];
        [native popUpMenuPositioningItem:nil
                              atLocation:NSMakePoint(inButton.x, inButton.y)
                                  inView:item_.button];
    }
    void popUpMenuAtMouse(const platform::Menu& menu) override {
        NSMenu* native = [menuTarget_ menuFor:menu];
        [native popUpMenuPositioningItem:nil atLocation:NSEvent.mouseLocation inView:nil];
    }

  private:
    NSStatusItem* item_;
    NLActionTarget* target_;
    NLMenuTarget* menuTarget_;
};

class MacStatusBar : public platform::StatusBar {
  public:
    std::shared_ptr<platform::StatusItem> createStatusItem(double length) override {
        return std::make_shared<MacStatusItem>(length);
    }
};

} // namespace

std::unique_ptr<platform::StatusBar> makeStatusBar() {
    return std::make_unique<MacStatusBar>();
}

} // namespace mac
