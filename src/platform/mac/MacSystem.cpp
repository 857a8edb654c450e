// Core Foundation's preferences, property lists, locale and time zone, the unified log, sysctl
// and tools run as child processes.

#include "platform/mac/CFValues.h"
#include "platform/mac/MacServices.h"
#include "platform/mac/ToolRunner.h"

#include <os/log.h>
#include <sys/sysctl.h>

#include <vector>

namespace mac {

namespace {

std::optional<platform::DefaultsDomain::Stored> stored(const platform::Value& value) {
    if (auto b = value.boolean(); value.isBool() && b) return *b;
    if (auto i = value.integer(); value.isInteger() && i) return *i;
    if (value.isDouble()) return *value.number();
    if (auto s = value.string()) return *s;
    return std::nullopt; // data and collections are not this store's (a date comes as its text)
}

platform::Value asValue(const platform::DefaultsDomain::Stored& stored) {
    return std::visit([](const auto& v) { return platform::Value(v); }, stored);
}

class PreferencesDomain : public platform::DefaultsDomain {
  public:
    explicit PreferencesDomain(const std::string& domain) : domain_(makeString(domain)) {}

    std::map<std::string, Stored> load() override {
        std::map<std::string, Stored> out;
        for (const auto& key : keys()) {
            auto name = makeString(key);
            CFRef<CFTypeRef> value(CFPreferencesCopyAppValue(name.get(), domain_.get()));
            if (auto typed = stored(toValue(value.get()))) out[key] = *typed;
        }
        return out;
    }

    bool save(const std::map<std::string, Stored>& values, std::string& error) override {
        for (const auto& key : keys()) {
            if (values.count(key)) continue;
            auto name = makeString(key);
            CFPreferencesSetAppValue(name.get(), nullptr, domain_.get());
        }
        for (const auto& [key, value] : values) {
            auto name = makeString(key);
            auto object = fromValue(asValue(value));
            CFPreferencesSetAppValue(name.get(), object.get(), domain_.get());
        }
        if (CFPreferencesAppSynchronize(domain_.get())) return true;
        error = "the preferences could not be synchronised";
        return false;
    }

  private:
    std::vector<std::string> keys() {
        CFRef<CFArrayRef> list(CFPreferencesCopyKeyList(domain_.get(), kCFPreferencesCurrentUser,
                                                        kCFPreferencesAnyHost));
        std::vector<std::string> out;
        for (CFIndex i = 0; list && i < CFArrayGetCount(list.get()); ++i)
            if (auto key = toValue(CFArrayGetValueAtIndex(list.get(), i)).string())
                out.push_back(*key);
        return out;
    }

    CFRef<CFStringRef> domain_;
};

class MacSystemLocale : public platform::SystemLocale {
  public:
    std::string currentLocaleIdentifier() const override {
        CFRef<CFLocaleRef> locale(CFLocaleCopyCurrent());
        return locale ? toString(CFLocaleGetIdentifier(locale.get())).value_or("") : "";
    }
    std::vector<std::string> preferredLanguages() const override {
        CFRef<CFArrayRef> languages(CFLocaleCopyPreferredLanguages());
        std::vector<std::string> out;
        for (CFIndex i = 0; languages && i < CFArrayGetCount(languages.get()); ++i)
            if (auto language = toValue(CFArrayGetValueAtIndex(languages.get(), i)).string())
                out.push_back(*language);
        return out;
    }
    double secondsSince1970() const override {
        return CFAbsoluteTimeGetCurrent() + kCFAbsoluteTimeIntervalSince1970;
    }
    int secondsFromGMT() const override {
        CFRef<CFTimeZoneRef> zone(CFTimeZoneCopyDefault());
        return zone ? int(CFTimeZoneGetSecondsFromGMT(zone.get(), CFAbsoluteTimeGetCurrent())) : 0;
    }
};

// Read by Core Foundation, which knows every form the system writes.
class MacPropertyLists : public platform::PropertyListFiles {
  public:
    std::optional<platform::Value> read(const std::string& systemPath,
                                        std::string& error) override {
        auto bytes = platform::readPropertyListBytes(systemPath, error);
        if (!bytes) return std::nullopt;
        return readPropertyList(*bytes, error);
    }
};

class MacProcesses : public platform::Processes {
  public:
    std::optional<std::string> sysctlString(const std::string& name) override {
        size_t size = 0;
        if (sysctlbyname(name.c_str(), nullptr, &size, nullptr, 0) != 0 || size == 0)
            return std::nullopt;
        std::vector<char> buffer(size + 1, '\0');
        if (sysctlbyname(name.c_str(), buffer.data(), &size, nullptr, 0) != 0) return std::nullopt;
        return std::string(buffer.data());
    }
    std::optional<std::string> runTool(const std::string& path,
                                       const std::vector<std::string>& arguments) override {
        return runToolWithin(path, arguments, kToolSeconds);
    }

  private:
    // system_profiler answers within seconds; a hung one must not hold the program for good.
    static constexpr double kToolSeconds = 30;
};

} // namespace

std::unique_ptr<platform::DefaultsDomain> makePreferencesDomain(const std::string& domain) {
    return std::make_unique<PreferencesDomain>(domain);
}
std::unique_ptr<platform::SystemLocale> makeSystemLocale() {
    return std::make_unique<MacSystemLocale>();
}
std::unique_ptr<platform::PropertyListFiles> makePropertyLists() {
    return std::make_unique<MacPropertyLists>();
}
std::unique_ptr<platform::Processes> makeProcesses() {
    return std::make_unique<MacProcesses>();
}

void writeUnifiedLog(const std::string& line) {
    static os_log_t log = os_log_create(kBundleIdentifier, "general");
    os_log_with_type(log, OS_LOG_TYPE_DEFAULT, "%{public}s", line.c_str());
}

} // namespace mac
