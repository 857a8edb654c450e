#pragma once
// The application's user defaults: a typed key/value store kept as JSON in the profile folder.
// Types are kept, so a stored value of the wrong type reads as absent.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>

namespace platform {

class SystemLog;

class UserDefaults {
  public:
    using Stored = std::variant<bool, int64_t, double, std::string>;

    // An empty path keeps the store in memory only.
    explicit UserDefaults(std::string path = {}, SystemLog* log = nullptr);

    std::optional<bool> boolValue(const std::string& key) const;
    std::optional<int64_t> integer(const std::string& key) const;
    std::optional<double> doubleValue(const std::string& key) const;
    // A number of either kind, as a float would be read.
    std::optional<double> number(const std::string& key) const;
    std::optional<std::string> string(const std::string& key) const;
    std::optional<Stored> object(const std::string& key) const;

    void set(const std::string& key, bool value);
    void set(const std::string& key, int value) { set(key, int64_t(value)); }
    void set(const std::string& key, int64_t value);
    void set(const std::string& key, double value);
    void set(const std::string& key, float value) { set(key, double(value)); }
    void set(const std::string& key, const std::string& value);
    void set(const std::string& key, const char* value) { set(key, std::string(value)); }
    void remove(const std::string& key);
    // Writes the store to disk now (every set already does).
    bool synchronize();

    const std::map<std::string, Stored>& all() const { return values_; }
    const std::string& path() const { return path_; }

  private:
    void load();
    void store(const std::string& key, Stored value);

    std::string path_;
    SystemLog* log_;
    std::map<std::string, Stored> values_;
};

} // namespace platform
