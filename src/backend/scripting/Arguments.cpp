#include "backend/scripting/Arguments.h"

#include "app/BlackoutController.h"
#include "backend/scripting/Session.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace scripting {

std::optional<double> numberArg(const std::string& text, double lo, double hi) {
    if (text.empty()) return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || errno == ERANGE || !std::isfinite(v) || v < lo ||
        v > hi)
        return std::nullopt;
    return v;
}

std::optional<uint64_t> wholeArg(const std::string& text, uint64_t hi) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos ||
        text.size() > 19)
        return std::nullopt;
    const uint64_t v = std::stoull(text);
    if (v > hi) return std::nullopt;
    return v;
}

std::optional<platform::DisplayID> displayIDArg(const std::string& text) {
    auto v = wholeArg(text, 0xFFFFFFFFu);
    if (!v) return std::nullopt;
    return platform::DisplayID(*v);
}

bool knownDisplay(Session& session, const std::string& cmd, const std::string& text,
                  platform::DisplayID& id, std::string& error) {
    auto parsed = displayIDArg(text);
    if (!parsed) {
        error = cmd + " needs a display ID (a whole number), not \"" + text + "\"";
        return false;
    }
    id = *parsed;
    for (auto online : session.mac().onlineDisplays())
        if (online == id) return true;
    if (BlackoutController::hasShared()) {
        auto& c = BlackoutController::shared();
        if (c.cachedDisplaysByID.count(id) || c.poweredOffBrightnesses.count(id)) return true;
    }
    error = "display " + text + " is not connected";
    return false;
}

} // namespace scripting
