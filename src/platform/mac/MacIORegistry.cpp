#include "platform/mac/CFValues.h"
#include "platform/mac/MacServices.h"
#include "platform/mac/SymbolLibrary.h"

#include <CoreGraphics/CoreGraphics.h>
#include <IOKit/IOKitLib.h>

#include <atomic>
#include <cstring>

namespace mac {

namespace {

// One retained registry object; released with its last reference.
class MacEntry : public platform::RegistryEntry {
  public:
    explicit MacEntry(io_registry_entry_t entry) : entry(entry) {}
    ~MacEntry() override { IOObjectRelease(entry); }
    const io_registry_entry_t entry;
};

class MacIterator : public platform::RegistryIterator {
  public:
    explicit MacIterator(io_iterator_t iterator) : iterator_(iterator) {}
    ~MacIterator() override { IOObjectRelease(iterator_); }
    platform::RegistryEntryRef next() override {
        const io_object_t next = IOIteratorNext(iterator_);
        return next ? std::make_shared<MacEntry>(next) : nullptr;
    }

  private:
    const io_iterator_t iterator_;
};

class MacAVService : public platform::AVService {
  public:
    explicit MacAVService(CFTypeRef service) : service(service) {}
    ~MacAVService() override { CFRelease(service); }
    const CFTypeRef service;
};

// The private AV-service calls, as IOKit exports them on Apple silicon.
using CreateWithService = CFTypeRef(CFAllocatorRef, io_service_t);
using WriteI2C = IOReturn(CFTypeRef, uint32_t chipAddress, uint32_t dataAddress, void* buffer,
                          uint32_t length);
using ReadI2C = IOReturn(CFTypeRef, uint32_t chipAddress, uint32_t offset, void* buffer,
                         uint32_t length);

io_registry_entry_t native(const platform::RegistryEntryRef& entry) {
    auto* mac = dynamic_cast<MacEntry*>(entry.get());
    return mac ? mac->entry : 0;
}

// A fixed C buffer the system filled; never read past its end.
std::string boundedString(const char* buffer, size_t capacity) {
    return std::string(buffer, strnlen(buffer, capacity));
}

class MacIORegistry : public platform::IORegistry {
  public:
    explicit MacIORegistry(SymbolLibrary& ioKit)
        : create_(ioKit.function<CreateWithService>("IOAVServiceCreateWithService")),
          write_(ioKit.function<WriteI2C>("IOAVServiceWriteI2C")),
          read_(ioKit.function<ReadI2C>("IOAVServiceReadI2C")) {
        // Display pipes are published and terminated with their displays.
        CGDisplayRegisterReconfigurationCallback(&MacIORegistry::reconfigured, this);
    }
    ~MacIORegistry() override {
        CGDisplayRemoveReconfigurationCallback(&MacIORegistry::reconfigured, this);
    }

    platform::RegistryEntryRef rootEntry() override {
        const io_registry_entry_t root = IORegistryGetRootEntry(kIOMainPortDefault);
        return root ? std::make_shared<MacEntry>(root) : nullptr;
    }
    uint64_t generation() const override { return generation_.load(); }

    std::unique_ptr<platform::RegistryIterator>
    createIterator(const platform::RegistryEntryRef& entry, const std::string& plane,
                   uint32_t options) override {
        io_iterator_t iterator = 0;
        if (IORegistryEntryCreateIterator(native(entry), plane.c_str(), options, &iterator) !=
                KERN_SUCCESS ||
            !iterator)
            return nullptr;
        return std::make_unique<MacIterator>(iterator);
    }
    std::optional<std::string> entryName(const platform::RegistryEntryRef& entry) override {
        io_name_t name = {};
        if (IORegistryEntryGetName(native(entry), name) != KERN_SUCCESS) return std::nullopt;
        return boundedString(name, sizeof name);
    }
    std::optional<platform::Value> createCFProperty(const platform::RegistryEntryRef& entry,
                                                    const std::string& key) override {
        auto name = makeString(key);
        CFRef<CFTypeRef> property(
            IORegistryEntryCreateCFProperty(native(entry), name.get(), kCFAllocatorDefault, 0));
        if (!property) return std::nullopt;
        return toValue(property.get());
    }
    std::optional<std::string> entryPath(const platform::RegistryEntryRef& entry,
                                         const std::string& plane) override {
        io_string_t path = {};
        if (IORegistryEntryGetPath(native(entry), plane.c_str(), path) != KERN_SUCCESS)
            return std::nullopt;
        return boundedString(path, sizeof path);
    }
    platform::RegistryEntryRef matchingService(const std::string& className) override {
        // The matching dictionary's reference goes to the call.
        const io_service_t service =
            IOServiceGetMatchingService(kIOMainPortDefault, IOServiceMatching(className.c_str()));
        return service ? std::make_shared<MacEntry>(service) : nullptr;
    }
    std::optional<platform::Value>
    createCFProperties(const platform::RegistryEntryRef& entry) override {
        CFMutableDictionaryRef properties = nullptr;
        if (IORegistryEntryCreateCFProperties(native(entry), &properties, kCFAllocatorDefault, 0) !=
                KERN_SUCCESS ||
            !properties)
            return std::nullopt;
        CFRef<CFDictionaryRef> owned(properties);
        return toValue(owned.get());
    }

    platform::AVServiceRef createAVService(const platform::RegistryEntryRef& entry) override {
        if (!create_ || !write_ || !read_) return nullptr;
        CFTypeRef service = create_(kCFAllocatorDefault, native(entry));
        return service ? std::make_shared<MacAVService>(service) : nullptr;
    }
    platform::IOReturn writeI2C(const platform::AVServiceRef& service, uint32_t chipAddress,
                                uint32_t dataAddress, const uint8_t* buffer,
                                uint32_t length) override {
        auto* mac = dynamic_cast<MacAVService*>(service.get());
        if (!mac || !write_) return platform::kIOReturnError;
        // The call takes a mutable buffer but only reads it.
        return write_(mac->service, chipAddress, dataAddress, const_cast<uint8_t*>(buffer), length);
    }
    platform::IOReturn readI2C(const platform::AVServiceRef& service, uint32_t chipAddress,
                               uint32_t offset, uint8_t* buffer, uint32_t length) override {
        auto* mac = dynamic_cast<MacAVService*>(service.get());
        if (!mac || !read_) return platform::kIOReturnError;
        return read_(mac->service, chipAddress, offset, buffer, length);
    }

  private:
    static void reconfigured(CGDirectDisplayID, CGDisplayChangeSummaryFlags, void* self) {
        static_cast<MacIORegistry*>(self)->generation_.fetch_add(1);
    }

    CreateWithService* create_;
    WriteI2C* write_;
    ReadI2C* read_;
    std::atomic<uint64_t> generation_{1};
};

} // namespace

std::unique_ptr<platform::IORegistry> makeIORegistry(SymbolLibrary& ioKit) {
    return std::make_unique<MacIORegistry>(ioKit);
}

} // namespace mac
