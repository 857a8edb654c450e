#include "platform/Menu.h"

namespace platform {

std::vector<std::string> Menu::titles() const {
    std::vector<std::string> out;
    for (const auto& i : items)
        out.push_back(i.isSeparator ? "-" : i.title);
    return out;
}

} // namespace platform
