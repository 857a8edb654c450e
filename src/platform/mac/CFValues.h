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

// Strings, numbers (integers stay integers), Booleans, data, arrays and dictionaries with
// string keys; anything else is a null value.
platform::Value toValue(CFTypeRef object);
// The reverse, for preferences and options; null for a null value.
CFRef<CFTypeRef> fromValue(const platform::Value& value);

} // namespace mac
