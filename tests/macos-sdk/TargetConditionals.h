#pragma once
// Which Apple platform and processor the code is compiled for: always macOS here. Qt's headers
// read these on a Mac.

#define TARGET_OS_MAC 1
#define TARGET_OS_OSX 1
#define TARGET_OS_IPHONE 0
#define TARGET_OS_IOS 0
#define TARGET_OS_MACCATALYST 0
#define TARGET_OS_TV 0
#define TARGET_OS_WATCH 0
#define TARGET_OS_VISION 0
#define TARGET_OS_SIMULATOR 0
#define TARGET_OS_EMBEDDED 0
#if defined(__x86_64__)
#define TARGET_CPU_X86_64 1
#define TARGET_CPU_ARM64 0
#else
#define TARGET_CPU_X86_64 0
#define TARGET_CPU_ARM64 1
#endif
