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
};

} // namespace platform
