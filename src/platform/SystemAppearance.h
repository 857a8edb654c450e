#pragma once
// The system-wide light or dark appearance: SkyLight's private calls (loaded at run time) and
// the appearance the application sees.

#include <functional>

namespace platform {

class SystemAppearance {
  public:
    using GetThemeFunction = std::function<bool()>;     // true = dark
    using SetThemeFunction = std::function<void(bool)>; // true = dark
    virtual ~SystemAppearance() = default;
    // Empty when SkyLight or the symbol is missing.
    virtual GetThemeFunction lookupGetTheme() = 0;
    virtual SetThemeFunction lookupSetTheme() = 0;
    // The application's effective appearance when no window overrides it.
    virtual bool applicationAppearanceIsDark() const = 0;
    // Called on the main queue whenever the system appearance changes.
    virtual int addAppearanceObserver(std::function<void()> handler) = 0;
    virtual void removeAppearanceObserver(int token) = 0;
};

} // namespace platform
