#pragma once
// IOKit power management: assertions that keep the system or the display awake.

#include <IOKit/IOKitLib.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef uint32_t IOPMAssertionID;
typedef uint32_t IOPMAssertionLevel;
enum { kIOPMAssertionLevelOff = 0, kIOPMAssertionLevelOn = 255 };

IOReturn IOPMAssertionCreateWithName(CFStringRef assertionType, IOPMAssertionLevel assertionLevel,
                                     CFStringRef assertionName, IOPMAssertionID* assertionID);
IOReturn IOPMAssertionRelease(IOPMAssertionID assertionID);

#ifdef __cplusplus
}
#endif
