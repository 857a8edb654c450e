#pragma once
// Event monitors: local ones see the events sent to this application before its windows do and
// may consume them; global ones only observe events sent to other applications.

#include "platform/Events.h"

#include <functional>
#include <optional>

namespace platform {

using EventMask = unsigned;
constexpr EventMask eventMaskFor(EventType type) {
    return 1u << unsigned(type);
}
constexpr EventMask kKeyDownMask = eventMaskFor(EventType::keyDown);
constexpr EventMask kFlagsChangedMask = eventMaskFor(EventType::flagsChanged);

class InputActivity {
  public:
    // Returning none consumes the event.
    using LocalHandler = std::function<std::optional<Event>(const Event&)>;
    using GlobalHandler = std::function<void(const Event&)>;
    virtual ~InputActivity() = default;
    // Handlers run on the main thread. Tokens stay valid until removed.
    virtual int addLocalMonitorForEvents(EventMask mask, LocalHandler handler) = 0;
    virtual int addGlobalMonitorForEvents(EventMask mask, GlobalHandler handler) = 0;
    virtual void removeMonitor(int token) = 0;
};

} // namespace platform
