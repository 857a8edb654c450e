#include "platform/sim/SimAppearance.h"

#include "platform/RunLoop.h"
#include "platform/sim/MachineDescription.h"

namespace sim {

SimAppearance::SimAppearance(MachineDescription& machine, platform::RunLoop& loop,
                             std::function<void()> changed)
    : machine_(machine), loop_(loop), changed_(std::move(changed)) {}

SimAppearance::GetThemeFunction SimAppearance::lookupGetTheme() {
    if (!machine_.hasSkyLight) return {};
    return [this] { return machine_.darkAppearance; };
}

SimAppearance::SetThemeFunction SimAppearance::lookupSetTheme() {
    if (!machine_.hasSkyLight) return {};
    return [this](bool dark) { setDark(dark); };
}

bool SimAppearance::applicationAppearanceIsDark() const {
    return machine_.darkAppearance;
}

bool SimAppearance::isDark() const {
    return machine_.darkAppearance;
}

void SimAppearance::setDark(bool dark) {
    if (machine_.darkAppearance == dark) return;
    machine_.darkAppearance = dark;
    for (const auto& [token, handler] : observers_) {
        int t = token;
        loop_.async([this, t] {
            auto it = observers_.find(t);
            if (it != observers_.end()) it->second();
        });
    }
    if (changed_) changed_();
}

int SimAppearance::addAppearanceObserver(std::function<void()> handler) {
    observers_[next_] = std::move(handler);
    return next_++;
}

void SimAppearance::removeAppearanceObserver(int token) {
    observers_.erase(token);
}

} // namespace sim
