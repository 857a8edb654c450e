#pragma once
// AppKit: the application, running applications, the status bar, menus, events and their
// monitors, alerts, sounds, screens, views, windows and colours.

#include <Foundation/Foundation.h>

@class NSWindow;
@class NSMenu;
@class NSEvent;

// Events
typedef unsigned long long NSEventMask;
typedef NSUInteger NSEventType;
enum {
    NSEventTypeLeftMouseDown = 1,
    NSEventTypeLeftMouseUp = 2,
    NSEventTypeRightMouseDown = 3,
    NSEventTypeRightMouseUp = 4,
    NSEventTypeMouseMoved = 5,
    NSEventTypeKeyDown = 10,
    NSEventTypeFlagsChanged = 12,
    NSEventTypeScrollWheel = 22,
    NSEventTypeOtherMouseDown = 25
};
typedef NSUInteger NSEventModifierFlags;
enum {
    NSEventModifierFlagShift = 1 << 17,
    NSEventModifierFlagControl = 1 << 18,
    NSEventModifierFlagOption = 1 << 19,
    NSEventModifierFlagCommand = 1 << 20
};

@interface NSEvent : NSObject
@property(readonly) NSEventType type;
@property(readonly) unsigned short keyCode;
@property(readonly) NSEventModifierFlags modifierFlags;
@property(readonly) NSPoint locationInWindow;
@property(readonly) CGEventRef CGEvent;
@property(class, readonly) NSPoint mouseLocation;
+ (id)addLocalMonitorForEventsMatchingMask:(NSEventMask)mask
                                   handler:(NSEvent* (^)(NSEvent* event))block;
+ (id)addGlobalMonitorForEventsMatchingMask:(NSEventMask)mask
                                    handler:(void (^)(NSEvent* event))block;
+ (void)removeMonitor:(id)eventMonitor;
@end

// Responders, views and windows
@interface NSResponder : NSObject
@end

@interface NSView : NSResponder
- (instancetype)initWithFrame:(NSRect)frameRect;
@property(readonly) NSWindow* window;
@property NSRect frame;
@property(readonly) NSRect bounds;
- (void)addSubview:(NSView*)view;
@end

@interface NSColor : NSObject
+ (NSColor*)colorWithSRGBRed:(CGFloat)red green:(CGFloat)green blue:(CGFloat)blue alpha:(CGFloat)alpha;
@end

typedef NSInteger NSWindowLevel;
typedef NSUInteger NSWindowCollectionBehavior;
enum {
    NSWindowCollectionBehaviorCanJoinAllSpaces = 1 << 0,
    NSWindowCollectionBehaviorMoveToActiveSpace = 1 << 1,
    NSWindowCollectionBehaviorManaged = 1 << 2,
    NSWindowCollectionBehaviorTransient = 1 << 3,
    NSWindowCollectionBehaviorStationary = 1 << 4,
    NSWindowCollectionBehaviorParticipatesInCycle = 1 << 5,
    NSWindowCollectionBehaviorIgnoresCycle = 1 << 6,
    NSWindowCollectionBehaviorFullScreenPrimary = 1 << 7,
    NSWindowCollectionBehaviorFullScreenAuxiliary = 1 << 8,
    NSWindowCollectionBehaviorFullScreenNone = 1 << 9
};

@interface NSWindow : NSResponder
@property NSWindowLevel level;
@property BOOL ignoresMouseEvents;
@property BOOL acceptsMouseMovedEvents;
@property BOOL hasShadow;
@property(getter=isOpaque) BOOL opaque;
@property CGFloat alphaValue;
@property(copy) NSColor* backgroundColor;
@property NSWindowCollectionBehavior collectionBehavior;
@property BOOL hidesOnDeactivate;
@property BOOL canHide;
- (void)setFrame:(NSRect)frameRect display:(BOOL)flag;
- (void)orderFrontRegardless;
@end

// Controls used in alert accessories
@interface NSControl : NSView
@end

typedef NSInteger NSControlStateValue;
enum { NSControlStateValueOff = 0, NSControlStateValueOn = 1 };

@interface NSImage : NSObject
+ (instancetype)imageWithSystemSymbolName:(NSString*)symbolName
                 accessibilityDescription:(NSString*)description;
- (BOOL)isTemplate;
- (void)setTemplate:(BOOL)isTemplate;
@end

@interface NSButton : NSControl
+ (instancetype)checkboxWithTitle:(NSString*)title target:(id)target action:(SEL)action;
@property(copy) NSString* title;
@property(strong) NSImage* image;
@property NSControlStateValue state;
@property(weak) id target;
@property SEL action;
- (NSInteger)sendActionOn:(NSEventMask)mask;
@end

@interface NSPopUpButton : NSButton
- (instancetype)initWithFrame:(NSRect)buttonFrame pullsDown:(BOOL)flag;
- (void)addItemWithTitle:(NSString*)title;
- (void)selectItemAtIndex:(NSInteger)index;
@property(readonly) NSInteger indexOfSelectedItem;
@end

// Menus
@interface NSMenuItem : NSObject
+ (NSMenuItem*)separatorItem;
- (instancetype)initWithTitle:(NSString*)string action:(SEL)selector keyEquivalent:(NSString*)charCode;
@property(weak) id target;
@property(getter=isEnabled) BOOL enabled;
@property NSInteger tag;
@end

@interface NSMenu : NSObject
- (instancetype)initWithTitle:(NSString*)title;
- (void)addItem:(NSMenuItem*)newItem;
@property BOOL autoenablesItems;
- (BOOL)popUpMenuPositioningItem:(NSMenuItem*)item atLocation:(NSPoint)location inView:(NSView*)view;
@end

// The status bar
@interface NSStatusBarButton : NSButton
@property(copy) NSString* toolTip;
@end

@interface NSStatusItem : NSObject
@property(readonly, strong) NSStatusBarButton* button;
@end

@interface NSStatusBar : NSObject
@property(class, readonly, strong) NSStatusBar* systemStatusBar;
- (NSStatusItem*)statusItemWithLength:(CGFloat)length;
- (void)removeStatusItem:(NSStatusItem*)item;
@end

// Appearances
typedef NSString* NSAppearanceName;
extern NSAppearanceName const NSAppearanceNameAqua API_AVAILABLE(macos(10.9));
extern NSAppearanceName const NSAppearanceNameDarkAqua API_AVAILABLE(macos(10.14));

@interface NSAppearance : NSObject
@property(readonly, copy) NSAppearanceName name;
- (NSAppearanceName)bestMatchFromAppearancesWithNames:(NSArray<NSAppearanceName>*)appearances
    API_AVAILABLE(macos(10.14));
@end

// The application
typedef NSInteger NSApplicationActivationPolicy;
enum {
    NSApplicationActivationPolicyRegular = 0,
    NSApplicationActivationPolicyAccessory = 1,
    NSApplicationActivationPolicyProhibited = 2
};
typedef NSUInteger NSApplicationActivationOptions;
enum {
    NSApplicationActivateAllWindows = 1 << 0,
    // Without effect from macOS 14: one application no longer takes the front from another.
    NSApplicationActivateIgnoringOtherApps API_DEPRECATED("no effect", macos(10.6, 14.0)) = 1 << 1
};

extern NSNotificationName const NSApplicationDidChangeScreenParametersNotification;

@interface NSApplication : NSResponder
@property(class, readonly, strong) NSApplication* sharedApplication;
- (BOOL)setActivationPolicy:(NSApplicationActivationPolicy)activationPolicy;
- (void)activateIgnoringOtherApps:(BOOL)flag API_DEPRECATED("use activate", macos(10.0, 14.0));
- (void)activate API_AVAILABLE(macos(14.0));
@property(readonly, strong) NSEvent* currentEvent;
@property(readonly, strong) NSAppearance* effectiveAppearance API_AVAILABLE(macos(10.14));
@end

@interface NSRunningApplication : NSObject
@property(class, readonly, strong) NSRunningApplication* currentApplication;
+ (NSArray<NSRunningApplication*>*)runningApplicationsWithBundleIdentifier:(NSString*)bundleIdentifier;
@property(readonly, copy) NSString* bundleIdentifier;
- (BOOL)terminate;
- (BOOL)activateWithOptions:(NSApplicationActivationOptions)options;
@end

// Alerts
typedef NSInteger NSModalResponse;
enum { NSAlertFirstButtonReturn = 1000 };
typedef NSUInteger NSAlertStyle;
enum { NSAlertStyleWarning = 0, NSAlertStyleInformational = 1, NSAlertStyleCritical = 2 };

@interface NSAlert : NSObject
@property NSAlertStyle alertStyle;
@property(copy) NSString* messageText;
@property(copy) NSString* informativeText;
@property(strong) NSView* accessoryView;
- (NSButton*)addButtonWithTitle:(NSString*)title;
- (NSModalResponse)runModal;
- (void)beginSheetModalForWindow:(NSWindow*)sheetWindow
               completionHandler:(void (^)(NSModalResponse returnCode))handler;
@end

// Sounds
@interface NSSound : NSObject
+ (NSSound*)soundNamed:(NSString*)name;
- (BOOL)play;
@end

// Screens
typedef NSString* NSDeviceDescriptionKey;

@interface NSScreen : NSObject
@property(class, readonly, copy) NSArray<NSScreen*>* screens;
@property(readonly, copy) NSDictionary<NSDeviceDescriptionKey, id>* deviceDescription;
@property(readonly) NSRect frame;
@property(readonly) NSRect visibleFrame;
@property(readonly, copy) NSString* localizedName;
@end
