#pragma once
// Core Foundation objects as platform values and back, and one owned reference.

#include "platform/Value.h"

#include <CoreFoundation/CoreFoundation.h>

#include <optional>
#include <string>
#include <utility>

namespace mac {

// Owns one reference (a Copy or Create result); releases it once.
template <class Ref> class CFRef {
  public:
    CFRef() = default;
    explicit CFRef(Ref ref) : ref_(ref) {}
    ~CFRef() { reset(); }
    CFRef(CFRef&& other) noexcept : ref_(std::exchange(other.ref_, nullptr)) {}
    CFRef& operator=(CFRef&& other) noexcept {
        if (this != &other) {
            reset();
            ref_ = std::exchange(other.ref_, nullptr);
        }
        return *this;
    }
    CFRef(const CFRef&) = delete;
    CFRef& operator=(const CFRef&) = delete;

    Ref get() const { return ref_; }
    // Hands the reference on; this no longer owns it.
    Ref release() { return std::exchange(ref_, nullptr); }
    explicit operator bool() const { return ref_ != nullptr; }
    void reset() {
        if (ref_) CFRelease(ref_);
        ref_ = nullptr;
    }

  private:
    Ref ref_ = nullptr;
};

CFRef<CFStringRef> makeString(const std::string& text);
std::optional<std::string> toString(CFStringRef string);

// Strings, numbers (integers stay integers), Booleans, data, dates (as UTC text,
// "2026-03-01T07:30:00Z"), arrays and dictionaries with string keys; anything else, and an
// integer no 64-bit signed integer holds, is a null value.
platform::Value toValue(CFTypeRef object);
// A property list file's bytes read by Core Foundation into the value the portable reader gives
// for the same file; absent with error set when they hold no property list, or a value the
// portable reader refuses too (an integer beyond 64 signed bits, a real that is not finite).
std::optional<platform::Value> readPropertyList(const std::string& bytes, std::string& error);
// The reverse, for preferences and options; null for a null value.
CFRef<CFTypeRef> fromValue(const platform::Value& value);

} // namespace mac
