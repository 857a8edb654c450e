#include "app/BlackoutController.h"
#include "platform/Platform.h"
#include "platform/Processes.h"

std::string BlackoutController::getMacModelBaseName() const {
    auto* processes = platform::current().processes;
    const auto model = processes ? processes->sysctlString("hw.model").value_or("") : "";
    if (model.find("MacBook") != std::string::npos) return t("맥북", "MacBook");
    if (model.find("iMac") != std::string::npos) return t("아이맥", "iMac");
    return t("내장", "Built-in");
}

std::string BlackoutController::getMacModelDisplayName() const {
    const auto base = getMacModelBaseName();
    if (base == t("내장", "Built-in")) return "";
    return " (" + base + ")";
}
