#pragma once
// The I/O registry (IOService plane) and the AV services' I2C channel.
// Handles are reference counted: dropping the last reference is IOObjectRelease.

#include "platform/Value.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace platform {

using IOReturn = int32_t;
constexpr IOReturn kIOReturnSuccess = 0;
constexpr IOReturn kIOReturnError = int32_t(0xE00002BC);
constexpr IOReturn kIOReturnNotResponding = int32_t(0xE00002ED);
constexpr uint32_t kIORegistryIterateRecursively = 1;

class RegistryEntry {
  public:
    virtual ~RegistryEntry() = default;
};
using RegistryEntryRef = std::shared_ptr<RegistryEntry>;

class RegistryIterator {
  public:
    virtual ~RegistryIterator() = default;
    // The next entry, or null at the end.
    virtual RegistryEntryRef next() = 0;
};

class AVService {
  public:
    virtual ~AVService() = default;
};
using AVServiceRef = std::shared_ptr<AVService>;

class IORegistry {
  public:
    virtual ~IORegistry() = default;
    virtual RegistryEntryRef rootEntry() = 0;
    // Changes whenever entries are published or terminated (display pipes come and go with
    // their displays), so what was read from the registry can be kept until then.
    virtual uint64_t generation() const = 0;
    // Null when the iterator cannot be created.
    virtual std::unique_ptr<RegistryIterator>
    createIterator(const RegistryEntryRef& entry, const std::string& plane, uint32_t options) = 0;
    // The entry's name as read into a 128-byte buffer; absent when it cannot be read.
    virtual std::optional<std::string> entryName(const RegistryEntryRef& entry) = 0;
    virtual std::optional<Value> createCFProperty(const RegistryEntryRef& entry,
                                                  const std::string& key) = 0;
    // The entry's path in the plane, as read into a 512-byte buffer.
    virtual std::optional<std::string> entryPath(const RegistryEntryRef& entry,
                                                 const std::string& plane) = 0;

    // IOServiceGetMatchingService on the main port for a class name; null when none matches.
    virtual RegistryEntryRef matchingService(const std::string& className) = 0;
    // IORegistryEntryCreateCFProperties: every property as one dictionary.
    virtual std::optional<Value> createCFProperties(const RegistryEntryRef& entry) = 0;

    // Private AV-service calls. Null when the service cannot be created (or the calls are
    // missing on this system).
    virtual AVServiceRef createAVService(const RegistryEntryRef& entry) = 0;
    virtual IOReturn writeI2C(const AVServiceRef& service, uint32_t chipAddress,
                              uint32_t dataAddress, const uint8_t* buffer, uint32_t length) = 0;
    virtual IOReturn readI2C(const AVServiceRef& service, uint32_t chipAddress, uint32_t offset,
                             uint8_t* buffer, uint32_t length) = 0;
};

} // namespace platform
