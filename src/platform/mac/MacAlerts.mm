// Alerts (NSAlert) and system sounds (NSSound).

#include "platform/RunLoop.h"
#include "platform/mac/MacServices.h"
#include "platform/mac/ObjCBridge.h"

namespace mac {

namespace {

NSAlertStyle alertStyle(platform::AlertStyle style) {
    switch (style) {
    case platform::AlertStyle::informational:
        return NSAlertStyleInformational;
    case platform::AlertStyle::critical:
        return NSAlertStyleCritical;
    case platform::AlertStyle::warning:
        break;
    }
    return NSAlertStyleWarning;
}

// The accessory's controls, read back once the alert is dismissed.
struct AccessoryControls {
    NSView* view = nil;
    NSPopUpButton* popUp = nil;
    NSButton* checkbox = nil;
};

AccessoryControls makeAccessory(const platform::AlertAccessory& accessory) {
    AccessoryControls out;
    out.view = [[NSView alloc] initWithFrame:NSMakeRect(0, 0, accessory.width, accessory.height)];
    const double rowHeight = 26;
    double y = accessory.height - rowHeight; // AppKit counts from the bottom
    if (!accessory.popUpItems.empty()) {
        out.popUp =
            [[NSPopUpButton alloc] initWithFrame:NSMakeRect(0, y, accessory.width, rowHeight)
                                       pullsDown:NO];
        for (const auto& item : accessory.popUpItems)
            [out.popUp addItemWithTitle:ns(item)];
        [out.popUp selectItemAtIndex:accessory.selectedItem];
        [out.view addSubview:out.popUp];
        y -= rowHeight;
    }
    if (!accessory.checkboxTitle.empty()) {
        out.checkbox = [NSButton checkboxWithTitle:ns(accessory.checkboxTitle)
                                            target:nil
                                            action:nil];
        out.checkbox.frame = NSMakeRect(0, y, accessory.width, rowHeight);
        out.checkbox.state = accessory.checkboxOn ? NSControlStateValueOn : NSControlStateValueOff;
        [out.view addSubview:out.checkbox];
    }
    return out;
}

NSAlert* makeAlert(const platform::AlertRequest& request) {
    NSAlert* alert = [[NSAlert alloc] init];
    alert.alertStyle = alertStyle(request.style);
    alert.messageText = ns(request.messageText);
    alert.informativeText = ns(request.informativeText);
    for (const auto& title : request.buttons)
        [alert addButtonWithTitle:ns(title)];
    return alert;
}

class MacAlerts : public platform::Alerts {
  public:
    int runModal(platform::AlertRequest& request) override {
        NSAlert* alert = makeAlert(request);
        AccessoryControls controls;
        if (request.accessory) {
            controls = makeAccessory(*request.accessory);
            alert.accessoryView = controls.view;
        }
        const NSModalResponse response = [alert runModal];
        if (request.accessory) {
            if (controls.popUp)
                request.accessory->selectedItem = int(controls.popUp.indexOfSelectedItem);
            if (controls.checkbox)
                request.accessory->checkboxOn = controls.checkbox.state == NSControlStateValueOn;
        }
        const long index = long(response) - long(NSAlertFirstButtonReturn);
        return index >= 0 ? int(index) : 0;
    }
    void beginSheetModal(platform::AlertRequest request,
                         std::function<void(int)> completion) override {
        // Qt's windows are not looked up by name here: the alert is application-modal, shown
        // after the caller returns, as a sheet's answer would arrive.
        platform::mainQueue().async([this, request, completion]() mutable {
            const int answer = runModal(request);
            if (completion) completion(answer);
        });
    }
};

class MacSounds : public platform::Sounds {
  public:
    bool play(const std::string& name) override {
        NSSound* sound = [NSSound soundNamed:ns(name)];
        return sound && [sound play];
    }
};

} // namespace

std::unique_ptr<platform::Alerts> makeAlerts() {
    return std::make_unique<MacAlerts>();
}
std::unique_ptr<platform::Sounds> makeSounds() {
    return std::make_unique<MacSounds>();
}

} // namespace mac
