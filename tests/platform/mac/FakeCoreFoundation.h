#pragma once
// A small Core Foundation in memory, for the backend's conversions where there is no Mac.

#include <CoreFoundation/CoreFoundation.h>

#include <string>

namespace fakecf {

// Objects created and not yet released to zero (the shared Booleans not counted).
int liveObjects();
// Releases of objects already gone (a Get result released as if it were a Copy).
int overReleases();
// A string dictionary key that is no string, as some registry dictionaries hold.
CFTypeRef makeNumberKeyDictionary();
// A string's text, for the other fakes.
std::string text(CFStringRef s);

} // namespace fakecf
