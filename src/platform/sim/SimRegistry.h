#pragma once
// The virtual Mac's I/O registry (IOService plane) and its AV services' I2C channel.

#include "platform/Clock.h"
#include "platform/IORegistry.h"
#include "platform/sim/MachineDescription.h"

#include <atomic>
#include <functional>
#include <map>

namespace sim {

class SimMonitor;

// Builds the display pipes of a machine whose description gives no registry; fills each
// display's CoreDisplay "IODisplayLocation" with its framebuffer's path.
RegistryNode generateRegistry(MachineDescription& description);
// The EDID UUID a framebuffer reports for a display with this CoreDisplay information.
std::string edidUUIDFor(const platform::Value& info);

class SimRegistry : public platform::IORegistry {
  public:
    using MonitorLookup = std::function<SimMonitor*(DisplayID)>;
    SimRegistry(const RegistryNode& root, bool iteratorFails, bool hasAVServices,
                platform::VirtualClock& clock, MonitorLookup monitors);

    platform::RegistryEntryRef rootEntry() override;
    uint64_t generation() const override { return generation_; }
    // A display came or went: its pipe's entries were published or terminated.
    void entriesChanged() { ++generation_; }
    std::unique_ptr<platform::RegistryIterator>
    createIterator(const platform::RegistryEntryRef& entry, const std::string& plane,
                   uint32_t options) override;
    std::optional<std::string> entryName(const platform::RegistryEntryRef& entry) override;
    std::optional<platform::Value> createCFProperty(const platform::RegistryEntryRef& entry,
                                                    const std::string& key) override;
    std::optional<std::string> entryPath(const platform::RegistryEntryRef& entry,
                                         const std::string& plane) override;
    platform::RegistryEntryRef matchingService(const std::string& className) override;
    std::optional<platform::Value>
    createCFProperties(const platform::RegistryEntryRef& entry) override;
    // A service matched by class ("AppleSmartBattery", "IOHIDSystem") whose properties are read
    // when asked; none: no such service.
    void setServiceProperties(const std::string& className,
                              std::function<std::optional<platform::Value>()> properties) {
        services_[className] = std::move(properties);
    }
    platform::AVServiceRef createAVService(const platform::RegistryEntryRef& entry) override;
    platform::IOReturn writeI2C(const platform::AVServiceRef& service, uint32_t chipAddress,
                                uint32_t dataAddress, const uint8_t* buffer,
                                uint32_t length) override;
    platform::IOReturn readI2C(const platform::AVServiceRef& service, uint32_t chipAddress,
                               uint32_t offset, uint8_t* buffer, uint32_t length) override;

  private:
    std::atomic<uint64_t> generation_{1};
    const RegistryNode& root_;
    bool iteratorFails_;
    bool hasAVServices_;
    platform::VirtualClock& clock_;
    MonitorLookup monitors_;
    std::map<std::string, std::function<std::optional<platform::Value>()>> services_;
};

} // namespace sim
