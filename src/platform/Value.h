#pragma once
// A property value as the OS hands it out (CFString, CFNumber, CFBoolean, CFData, CFArray,
// CFDictionary), so type checks like "if it is an integer" read literally.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace platform {

class Value;
using ValueArray = std::vector<Value>;
// Dictionaries keep insertion order: "the map's first entry" must mean something.
using ValueDict = std::vector<std::pair<std::string, Value>>;
using Bytes = std::vector<uint8_t>;

class Value {
  public:
    using Storage = std::variant<std::monostate, std::string, int64_t, double, bool, Bytes,
                                 ValueArray, ValueDict>;

    Value() = default;
    Value(const char* s) : v_(std::string(s)) {}
    Value(std::string s) : v_(std::move(s)) {}
    Value(int v) : v_(int64_t(v)) {}
    Value(int64_t v) : v_(v) {}
    Value(uint32_t v) : v_(int64_t(v)) {}
    Value(double v) : v_(v) {}
    Value(bool v) : v_(v) {}
    Value(Bytes v) : v_(std::move(v)) {}
    Value(ValueArray v) : v_(std::move(v)) {}
    Value(ValueDict v) : v_(std::move(v)) {}

    bool isNull() const { return std::holds_alternative<std::monostate>(v_); }
    bool isString() const { return std::holds_alternative<std::string>(v_); }
    bool isInteger() const { return std::holds_alternative<int64_t>(v_); }
    bool isDouble() const { return std::holds_alternative<double>(v_); }
    bool isNumber() const { return isInteger() || isDouble(); }
    bool isBool() const { return std::holds_alternative<bool>(v_); }
    bool isData() const { return std::holds_alternative<Bytes>(v_); }
    bool isArray() const { return std::holds_alternative<ValueArray>(v_); }
    bool isDict() const { return std::holds_alternative<ValueDict>(v_); }

    std::optional<std::string> string() const;
    std::optional<int64_t> integer() const;
    // Any number, as CFNumberGetValue would convert it.
    std::optional<double> number() const;
    std::optional<bool> boolean() const;
    // A whole number that fits 32 unsigned bits (a display ID), of either number kind.
    std::optional<uint32_t> uint32() const;
    const Bytes* data() const { return std::get_if<Bytes>(&v_); }
    const ValueArray* array() const { return std::get_if<ValueArray>(&v_); }
    const ValueDict* dict() const { return std::get_if<ValueDict>(&v_); }
    ValueDict* dict() { return std::get_if<ValueDict>(&v_); }

    // Dictionary lookup; nullptr when this is no dictionary or the key is missing.
    const Value* find(const std::string& key) const;
    // Inserts or replaces; turns a null value into a dictionary first.
    void set(const std::string& key, Value value);

    const Storage& storage() const { return v_; }
    bool operator==(const Value& other) const = default;

  private:
    Storage v_;
};

} // namespace platform
