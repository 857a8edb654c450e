#pragma once
// Core Graphics: geometry, the display list, display modes and configuration transactions,
// transfer tables, the cursor, window levels and event fields.

#include <CoreFoundation/CoreFoundation.h>

#include <stdbool.h>
#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef double CGFloat;
struct CGPoint {
    CGFloat x;
    CGFloat y;
};
typedef struct CGPoint CGPoint;
struct CGSize {
    CGFloat width;
    CGFloat height;
};
typedef struct CGSize CGSize;
struct CGRect {
    CGPoint origin;
    CGSize size;
};
typedef struct CGRect CGRect;

typedef uint32_t CGDirectDisplayID;
typedef int32_t CGError;
enum {
    kCGErrorSuccess = 0,
    kCGErrorFailure = 1000,
    kCGErrorIllegalArgument = 1001
};
typedef int boolean_t;

CGError CGGetOnlineDisplayList(uint32_t maxDisplays, CGDirectDisplayID* onlineDisplays,
                               uint32_t* displayCount);
boolean_t CGDisplayIsBuiltin(CGDirectDisplayID display);
CGRect CGDisplayBounds(CGDirectDisplayID display);
CGDirectDisplayID CGMainDisplayID(void);
CGDirectDisplayID CGDisplayMirrorsDisplay(CGDirectDisplayID display);

// Reconfiguration callbacks
typedef uint32_t CGDisplayChangeSummaryFlags;
typedef void (*CGDisplayReconfigurationCallBack)(CGDirectDisplayID display,
                                                 CGDisplayChangeSummaryFlags flags,
                                                 void* userInfo);
CGError CGDisplayRegisterReconfigurationCallback(CGDisplayReconfigurationCallBack callback,
                                                 void* userInfo);
CGError CGDisplayRemoveReconfigurationCallback(CGDisplayReconfigurationCallBack callback,
                                               void* userInfo);

// Display modes
typedef struct CGDisplayMode* CGDisplayModeRef;
extern const CFStringRef kCGDisplayShowDuplicateLowResolutionModes;
CFArrayRef CGDisplayCopyAllDisplayModes(CGDirectDisplayID display, CFDictionaryRef options);
CGDisplayModeRef CGDisplayCopyDisplayMode(CGDirectDisplayID display);
size_t CGDisplayModeGetWidth(CGDisplayModeRef mode);
size_t CGDisplayModeGetHeight(CGDisplayModeRef mode);
size_t CGDisplayModeGetPixelWidth(CGDisplayModeRef mode);
size_t CGDisplayModeGetPixelHeight(CGDisplayModeRef mode);
double CGDisplayModeGetRefreshRate(CGDisplayModeRef mode);
bool CGDisplayModeIsUsableForDesktopGUI(CGDisplayModeRef mode);
void CGDisplayModeRelease(CGDisplayModeRef mode);

// Configuration transactions
typedef struct _CGDisplayConfigRef* CGDisplayConfigRef;
typedef uint32_t CGConfigureOption;
enum {
    kCGConfigureForAppOnly = 0,
    kCGConfigureForSession = 1,
    kCGConfigurePermanently = 2
};
CGError CGBeginDisplayConfiguration(CGDisplayConfigRef* config);
CGError CGConfigureDisplayWithDisplayMode(CGDisplayConfigRef config, CGDirectDisplayID display,
                                          CGDisplayModeRef mode, CFDictionaryRef options);
CGError CGConfigureDisplayOrigin(CGDisplayConfigRef config, CGDirectDisplayID display, int32_t x,
                                 int32_t y);
CGError CGConfigureDisplayMirrorOfDisplay(CGDisplayConfigRef config, CGDirectDisplayID display,
                                          CGDirectDisplayID master);
CGError CGCompleteDisplayConfiguration(CGDisplayConfigRef config, CGConfigureOption option);
CGError CGCancelDisplayConfiguration(CGDisplayConfigRef config);

// Transfer tables
typedef float CGGammaValue;
CGError CGGetDisplayTransferByTable(CGDirectDisplayID display, uint32_t capacity,
                                    CGGammaValue* redTable, CGGammaValue* greenTable,
                                    CGGammaValue* blueTable, uint32_t* sampleCount);
CGError CGSetDisplayTransferByTable(CGDirectDisplayID display, uint32_t tableSize,
                                    const CGGammaValue* redTable, const CGGammaValue* greenTable,
                                    const CGGammaValue* blueTable);
void CGDisplayRestoreColorSyncSettings(void);

// Cursor
CGError CGDisplayHideCursor(CGDirectDisplayID display);
CGError CGDisplayShowCursor(CGDirectDisplayID display);

// Window levels
typedef int32_t CGWindowLevel;
CGWindowLevel CGShieldingWindowLevel(void);

// Events
typedef struct __CGEvent* CGEventRef;
typedef uint32_t CGEventField;
enum { kCGEventSourceUnixProcessID = 41 };
int64_t CGEventGetIntegerValueField(CGEventRef event, CGEventField field);

#ifdef __cplusplus
}
#endif
