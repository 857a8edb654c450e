#pragma once
// Carbon's hotkeys, handlers, input sources and key translation in memory, for the backend's
// adapters where there is no Mac.

#include <Carbon/Carbon.h>

#include <cstdint>
#include <optional>
#include <set>
#include <utility>
#include <vector>

namespace fakecarbon {

struct State {
    // Combinations other applications hold: registering one fails as already registered.
    std::set<std::pair<UInt32, UInt32>> taken;
    int registered = 0; // hotkeys registered and not yet unregistered
    int handlersInstalled = 0;
    // The current input source's layout data; none: the source has none; no source at all.
    std::optional<std::vector<uint8_t>> layout;
    bool noSource = false;
    int translations = 0;            // calls of UCKeyTranslate
    UniCharCount reportedLength = 1; // what UCKeyTranslate claims it wrote
};
State& state();
void reset();
// The system sends a hotkey-pressed event whose direct object is that many bytes of id.
OSStatus press(EventHotKeyID id, ByteCount directObjectSize = sizeof(EventHotKeyID));

} // namespace fakecarbon
