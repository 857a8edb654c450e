#include "platform/Value.h"

#include <cmath>

namespace platform {

std::optional<std::string> Value::string() const {
    if (auto p = std::get_if<std::string>(&v_)) return *p;
    return std::nullopt;
}

std::optional<int64_t> Value::integer() const {
    if (auto p = std::get_if<int64_t>(&v_)) return *p;
    return std::nullopt;
}

std::optional<double> Value::number() const {
    if (auto p = std::get_if<int64_t>(&v_)) return double(*p);
    if (auto p = std::get_if<double>(&v_)) return *p;
    return std::nullopt;
}

std::optional<uint32_t> Value::uint32() const {
    if (auto p = std::get_if<int64_t>(&v_); p && *p >= 0 && *p <= int64_t(UINT32_MAX))
        return uint32_t(*p);
    // Range-checked before the cast: a double out of range would be undefined behaviour.
    if (auto p = std::get_if<double>(&v_);
        p && *p >= 0 && *p <= double(UINT32_MAX) && std::floor(*p) == *p)
        return uint32_t(*p);
    return std::nullopt;
}

std::optional<bool> Value::boolean() const {
    if (auto p = std::get_if<bool>(&v_)) return *p;
    return std::nullopt;
}

const Value* Value::find(const std::string& key) const {
    auto d = dict();
    if (!d) return nullptr;
    for (const auto& [k, v] : *d)
        if (k == key) return &v;
    return nullptr;
}

void Value::set(const std::string& key, Value value) {
    if (isNull()) v_ = ValueDict{};
    auto d = dict();
    if (!d) return;
    for (auto& [k, v] : *d)
        if (k == key) {
            v = std::move(value);
            return;
        }
    d->emplace_back(key, std::move(value));
}

} // namespace platform
