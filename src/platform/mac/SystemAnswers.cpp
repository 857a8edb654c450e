#include "platform/mac/SystemAnswers.h"

#include <sstream>

namespace mac {

platform::LoginItemStatus loginItemStatus(long status) {
    switch (status) {
    case 0:
        return platform::LoginItemStatus::notRegistered;
    case 1:
        return platform::LoginItemStatus::enabled;
    case 2:
        return platform::LoginItemStatus::requiresApproval;
    default:
        return platform::LoginItemStatus::notFound;
    }
}

bool launchdReportsRunning(const std::string& printOutput) {
    // The service's own "state = running" line, one tab in; nested sections say other states.
    std::istringstream lines(printOutput);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t indent = 0;
        while (indent < line.size() && line[indent] == '\t')
            ++indent;
        if (indent == 1 && line.compare(indent, std::string::npos, "state = running") == 0)
            return true;
    }
    return false;
}

platform::Value
keyboardBacklightIDs(const std::optional<std::vector<std::optional<uint64_t>>>& items) {
    if (!items) return {};
    platform::ValueArray out;
    for (const auto& item : *items) {
        if (!item) return platform::Value("not a number");
        out.emplace_back(int64_t(*item));
    }
    return platform::Value(std::move(out));
}

} // namespace mac
