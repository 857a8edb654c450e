#pragma once
// A pop-up menu as data: the program builds it, the platform shows it.

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform {

struct MenuItem {
    std::string title;
    // Key equivalent with the Command modifier; empty for none.
    std::string keyEquivalent;
    std::function<void()> action;
    bool isSeparator = false;
    bool enabled = true;

    static MenuItem separator() {
        MenuItem m;
        m.isSeparator = true;
        return m;
    }
};

struct Menu {
    std::vector<MenuItem> items;
    void addItem(MenuItem item) { items.push_back(std::move(item)); }
    // Titles in order; separators appear as "-".
    std::vector<std::string> titles() const;
};

} // namespace platform
