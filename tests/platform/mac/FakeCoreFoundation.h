#pragma once
// A small Core Foundation in memory, for the backend's conversions where there is no Mac.

#include <CoreFoundation/CoreFoundation.h>

namespace fakecf {

// Objects created and not yet released to zero (the shared Booleans not counted).
int liveObjects();
// Releases of objects already gone (a Get result released as if it were a Copy).
int overReleases();
// A string dictionary key that is no string, as some registry dictionaries hold.
CFTypeRef makeNumberKeyDictionary();

} // namespace fakecf
