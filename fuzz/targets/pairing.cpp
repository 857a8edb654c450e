// What the pairing of displays with their AV services reads: the I/O registry's entries and
// property values, and CoreDisplay's information dictionary, of any shape and type.

#include "FuzzSupport.h"
#include "display/Arm64DDC.h"
#include "platform/CoreDisplayInfo.h"
#include "platform/Platform.h"

#include <map>
#include <vector>

namespace {

struct Entry : platform::RegistryEntry {
    std::optional<std::string> name, path;
    std::map<std::string, platform::Value> properties;
    bool hasService = false;
};
struct Service : platform::AVService {};

class Iterator : public platform::RegistryIterator {
  public:
    explicit Iterator(std::vector<platform::RegistryEntryRef> entries)
        : entries_(std::move(entries)) {}
    platform::RegistryEntryRef next() override {
        return at_ < entries_.size() ? entries_[at_++] : nullptr;
    }

  private:
    std::vector<platform::RegistryEntryRef> entries_;
    size_t at_ = 0;
};

const Entry* asEntry(const platform::RegistryEntryRef& e) {
    return dynamic_cast<const Entry*>(e.get());
}

class Registry : public platform::IORegistry, public platform::CoreDisplayInfo {
  public:
    std::vector<platform::RegistryEntryRef> entries;
    std::optional<platform::Value> info;
    platform::RegistryEntryRef rootEntry() override { return std::make_shared<Entry>(); }
    uint64_t generation() const override { return 0; }
    std::unique_ptr<platform::RegistryIterator>
    createIterator(const platform::RegistryEntryRef&, const std::string&, uint32_t) override {
        return std::make_unique<Iterator>(entries);
    }
    std::optional<std::string> entryName(const platform::RegistryEntryRef& e) override {
        return asEntry(e) ? asEntry(e)->name : std::nullopt;
    }
    std::optional<platform::Value> createCFProperty(const platform::RegistryEntryRef& e,
                                                    const std::string& key) override {
        const Entry* entry = asEntry(e);
        if (!entry) return {};
        auto it = entry->properties.find(key);
        if (it == entry->properties.end()) return {};
        return it->second;
    }
    std::optional<std::string> entryPath(const platform::RegistryEntryRef& e,
                                         const std::string&) override {
        return asEntry(e) ? asEntry(e)->path : std::nullopt;
    }
    platform::RegistryEntryRef matchingService(const std::string&) override { return nullptr; }
    std::optional<platform::Value> createCFProperties(const platform::RegistryEntryRef&) override {
        return {};
    }
    platform::AVServiceRef createAVService(const platform::RegistryEntryRef& e) override {
        const Entry* entry = asEntry(e);
        return entry && entry->hasService ? std::make_shared<Service>() : nullptr;
    }
    platform::IOReturn writeI2C(const platform::AVServiceRef&, uint32_t, uint32_t, const uint8_t*,
                                uint32_t) override {
        return platform::kIOReturnError;
    }
    platform::IOReturn readI2C(const platform::AVServiceRef&, uint32_t, uint32_t, uint8_t*,
                               uint32_t) override {
        return platform::kIOReturnError;
    }
    std::optional<platform::Value> createInfoDictionary(platform::DisplayID) override {
        return info;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    static const char* const names[] = {"AppleCLCD2", "IOMobileFramebufferShim",
                                        "DCPAVServiceProxy", "dispext0"};
    Registry registry;
    for (int n = in.ConsumeIntegralInRange<int>(0, 8); n > 0; --n) {
        auto entry = std::make_shared<Entry>();
        if (in.ConsumeBool())
            entry->name = in.ConsumeBool() ? std::string(names[in.ConsumeIntegralInRange(0, 3)])
                                           : in.ConsumeRandomLengthString(32);
        if (in.ConsumeBool()) entry->path = in.ConsumeRandomLengthString(64);
        entry->hasService = in.ConsumeBool();
        for (int p = in.ConsumeIntegralInRange<int>(0, 5); p > 0; --p)
            entry->properties[fuzz::key(in)] = fuzz::value(in);
        registry.entries.push_back(entry);
    }
    if (in.ConsumeBool()) registry.info = fuzz::value(in);
    platform::Platform platform;
    platform.ioRegistry = &registry;
    platform.coreDisplay = &registry;
    platform::setCurrent(&platform);

    for (const auto& s : Arm64DDC::getIoregServicesForMatching()) {
        (void)Arm64DDC::checkIfDiscouraged(s);
        (void)Arm64DDC::checkIfDummy(s);
        const int score = Arm64DDC::ioregMatchScore(
            1, s.edidUUID, s.ioDisplayLocation, s.productName, s.serialNumber, s.serviceLocation);
        if (score < 0 || score > Arm64DDC::MAX_MATCH_SCORE) __builtin_trap();
    }
    platform::setCurrent(nullptr);
    return 0;
}
