#pragma once
// The virtual Mac's system-wide appearance and its SkyLight calls.

#include "platform/SystemAppearance.h"

#include <functional>
#include <map>

namespace platform {
class RunLoop;
}

namespace sim {

struct MachineDescription;

class SimAppearance : public platform::SystemAppearance {
  public:
    SimAppearance(MachineDescription& machine, platform::RunLoop& loop,
                  std::function<void()> changed);

    GetThemeFunction lookupGetTheme() override;
    SetThemeFunction lookupSetTheme() override;
    bool applicationAppearanceIsDark() const override;
    int addAppearanceObserver(std::function<void()> handler) override;
    void removeAppearanceObserver(int token) override;

    // The user switching the system appearance in System Settings.
    void setDark(bool dark);
    bool isDark() const;

  private:
    MachineDescription& machine_;
    platform::RunLoop& loop_;
    std::function<void()> changed_;
    std::map<int, std::function<void()>> observers_;
    int next_ = 1;
};

} // namespace sim
