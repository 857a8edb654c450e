#pragma once

#include <string>
#include <vector>

namespace platform {

class SystemLocale {
  public:
    virtual ~SystemLocale() = default;
    virtual std::string currentLocaleIdentifier() const = 0;
    // The user's preferred languages, most preferred first ("ko-KR", "en-US", ...).
    virtual std::vector<std::string> preferredLanguages() const = 0;
    // The wall clock: seconds since 1970 (Date()), and the local time zone's offset from UTC.
    virtual double secondsSince1970() const = 0;
    virtual int secondsFromGMT() const = 0;
};

} // namespace platform
