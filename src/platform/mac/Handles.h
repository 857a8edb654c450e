#pragma once
// Tokens the program holds for system objects it never sees (hotkey and handler references,
// observers). A token that is not, or no longer, in the table reaches no system call, so a
// stale or made-up one cannot hand Carbon or AppKit a dangling pointer.

#include <cstdint>
#include <map>
#include <optional>
#include <utility>

namespace mac {

template <class T> class HandleTable {
  public:
    // Never 0, which the interfaces use for "none"; never reused.
    uint64_t add(T value) {
        const uint64_t token = ++last_;
        entries_.emplace(token, std::move(value));
        return token;
    }
    T* find(uint64_t token) {
        auto found = entries_.find(token);
        return found == entries_.end() ? nullptr : &found->second;
    }
    std::optional<T> take(uint64_t token) {
        auto found = entries_.find(token);
        if (found == entries_.end()) return std::nullopt;
        T value = std::move(found->second);
        entries_.erase(found);
        return value;
    }
    size_t size() const { return entries_.size(); }
    template <class F> void forEach(F&& f) {
        for (auto& [token, value] : entries_)
            f(value);
    }

  private:
    std::map<uint64_t, T> entries_;
    uint64_t last_ = 0;
};

} // namespace mac
