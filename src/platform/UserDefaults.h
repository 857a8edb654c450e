#pragma once
// The application's user defaults: a typed key/value store kept as JSON in the profile folder.
// Types are kept, so a stored value of the wrong type reads as absent.

#include "platform/OutsideFiles.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <variant>

namespace platform {

class SystemLog;
class RunLoop;

// A preferences domain the operating system keeps (a Mac's), instead of the JSON file.
class DefaultsDomain {
  public:
    using Stored = std::variant<bool, int64_t, double, std::string>;
    virtual ~DefaultsDomain() = default;
    // Every value of a type the store knows; others are left alone in the domain.
    virtual std::map<std::string, Stored> load() = 0;
    // The whole store: keys missing from values are removed. False with the reason on failure.
    virtual bool save(const std::map<std::string, Stored>& values, std::string& error) = 0;
};

class UserDefaults {
  public:
    using Stored = DefaultsDomain::Stored;

    // An empty path keeps the store in memory only. With a run loop, the changes of a second go
    // to disk together a second after the first; without one, each change is written at once.
    explicit UserDefaults(std::string path = {}, SystemLog* log = nullptr, RunLoop* loop = nullptr);
    // Kept in the system's domain; written as the file would be.
    UserDefaults(std::unique_ptr<DefaultsDomain> domain, SystemLog* log, RunLoop* loop);
    ~UserDefaults();
    UserDefaults(const UserDefaults&) = delete;
    UserDefaults& operator=(const UserDefaults&) = delete;

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
    // A value that is not finite is refused (logged, nothing stored).
    void set(const std::string& key, double value);
    void set(const std::string& key, float value) { set(key, double(value)); }
    void set(const std::string& key, const std::string& value);
    void set(const std::string& key, const char* value) { set(key, std::string(value)); }
    void remove(const std::string& key);
    // Writes the store to disk now; false (and a log line) when the write failed.
    bool synchronize();
    // For a file that goes with its folder when the run ends: written without waiting on the disk.
    void setDurability(Durability durability) { durability_ = durability; }
    static constexpr double kFlushDelay = 1.0;
    // A store larger than this is not one this program wrote.
    static constexpr size_t kMaxFileBytes = 4 * 1024 * 1024;

    const std::map<std::string, Stored>& all() const { return values_; }
    // Entries of the file this store cannot read, kept as they were (key -> JSON text).
    const std::map<std::string, std::string>& undecodable() const { return kept_; }
    const std::string& path() const { return path_; }

  private:
    void load();
    void store(const std::string& key, Stored value);
    void changed(const std::string& key);
    void log(const std::string& line) const;

    std::string path_;
    std::unique_ptr<DefaultsDomain> domain_;
    SystemLog* log_;
    RunLoop* loop_;
    std::map<std::string, Stored> values_;
    std::map<std::string, std::string> kept_;
    bool dirty_ = false;
    bool flushQueued_ = false;
    // A file that could not be read nor moved aside is never overwritten.
    bool readOnly_ = false;
    Durability durability_ = Durability::synced;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

} // namespace platform
