#pragma once
// Availability of declarations by macOS release, as clang checks it against the deployment
// target: a call introduced after the target needs an @available check, and one deprecated at or
// before it fails a -Werror build. Form differs: only the macOS form, API_AVAILABLE(macos(14.0))
// and API_DEPRECATED("message", macos(10.6, 14.0)), of the real macros.

#define NL_SDK_AVAILABLE_macos(since) availability(macos, introduced = since)
#define NL_SDK_DEPRECATED_macos(since, until)                                                      \
    availability(macos, introduced = since, deprecated = until)

#define API_AVAILABLE(platform) __attribute__((NL_SDK_AVAILABLE_##platform))
#define API_DEPRECATED(message, platform) __attribute__((NL_SDK_DEPRECATED_##platform))
