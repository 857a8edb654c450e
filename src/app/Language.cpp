#include "app/BlackoutController.h"

#include "platform/Platform.h"
#include "platform/SystemLocale.h"
#include "platform/UserDefaults.h"

bool BlackoutController::isEnglish() const {
    if (auto language = platform::current().defaults->string("appLanguage"))
        return *language == "en";
    auto* locale = platform::current().locale;
    if (!locale) return false;
    auto preferred = locale->preferredLanguages();
    if (preferred.empty()) return false;
    return !preferred.front().starts_with("ko");
}

std::string BlackoutController::t(const std::string& korean, const std::string& english) const {
    return isEnglish() ? english : korean;
}
