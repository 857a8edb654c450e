#include "platform/mac/MacSmc.h"

#include "helper/SmcChargingHardware.h"
#include "platform/mac/CFValues.h"

#include <IOKit/IOKitLib.h>
#include <mach/mach.h>

#include <cstdio>

namespace mac {

namespace {

// The user client's one entry for every command.
constexpr uint32_t kHandleEvent = 2;

std::string returnText(kern_return_t result) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08x", unsigned(result));
    return text;
}

class SmcConnection : public smc::Transport {
  public:
    // false with the reason when the service is missing or refuses this process.
    bool open(std::string& error) {
        const io_service_t service =
            IOServiceGetMatchingService(kIOMainPortDefault, IOServiceMatching("AppleSMC"));
        if (!service) {
            error = "there is no AppleSMC service";
            return false;
        }
        const kern_return_t result = IOServiceOpen(service, mach_task_self(), 0, &connection_);
        IOObjectRelease(service);
        if (result != KERN_SUCCESS) {
            connection_ = 0;
            error = "AppleSMC could not be opened (" + returnText(result) + ")";
            return false;
        }
        return true;
    }
    ~SmcConnection() override {
        if (connection_) IOServiceClose(connection_);
    }

    bool call(const smc::Parameters& in, smc::Parameters& out, std::string& error) override {
        size_t outSize = sizeof out;
        const kern_return_t result =
            IOConnectCallStructMethod(connection_, kHandleEvent, &in, sizeof in, &out, &outSize);
        if (result != KERN_SUCCESS) {
            error = "the call returned " + returnText(result);
            return false;
        }
        if (outSize != sizeof out) {
            error = "the answer has " + std::to_string(outSize) + " bytes, not 80";
            return false;
        }
        return true;
    }

  private:
    io_connect_t connection_ = 0;
};

class SmartBattery : public helper::BatteryGauge {
  public:
    std::optional<helper::BatteryReading> read() override {
        const io_service_t battery =
            IOServiceGetMatchingService(kIOMainPortDefault, IOServiceMatching("AppleSmartBattery"));
        if (!battery) return std::nullopt;
        const auto current = number(battery, "CurrentCapacity");
        const auto maximum = number(battery, "MaxCapacity");
        const auto external = flag(battery, "ExternalConnected");
        IOObjectRelease(battery);
        // Apple silicon reports both as percentages, Intel Macs in mAh: the ratio serves both.
        if (!current || !maximum || *maximum <= 0 || *current < 0 || !external) return std::nullopt;
        const int64_t percent = (*current * 100 + *maximum / 2) / *maximum;
        return helper::BatteryReading{int(percent > 100 ? 100 : percent), *external};
    }

  private:
    static CFRef<CFTypeRef> property(io_service_t entry, const char* name) {
        CFRef<CFStringRef> key(
            CFStringCreateWithCString(kCFAllocatorDefault, name, kCFStringEncodingUTF8));
        if (!key) return CFRef<CFTypeRef>();
        return CFRef<CFTypeRef>(
            IORegistryEntryCreateCFProperty(entry, key.get(), kCFAllocatorDefault, 0));
    }
    static std::optional<int64_t> number(io_service_t entry, const char* name) {
        const auto value = property(entry, name);
        int64_t n = 0;
        if (!value || CFGetTypeID(value.get()) != CFNumberGetTypeID() ||
            !CFNumberGetValue(CFNumberRef(value.get()), kCFNumberSInt64Type, &n))
            return std::nullopt;
        return n;
    }
    static std::optional<bool> flag(io_service_t entry, const char* name) {
        const auto value = property(entry, name);
        if (!value || CFGetTypeID(value.get()) != CFBooleanGetTypeID()) return std::nullopt;
        return CFBooleanGetValue(CFBooleanRef(value.get())) != 0;
    }
};

} // namespace

std::unique_ptr<helper::ChargingHardware>
makeSmcChargingHardware(const std::function<void(const std::string&)>& log) {
    auto connection = std::make_unique<SmcConnection>();
    std::string error;
    if (!connection->open(error)) {
        log("nightlid-helper: " + error + "; nothing is enforced");
        return helper::makeUncontrolledCharging(error);
    }
    return std::make_unique<helper::SmcChargingHardware>(std::move(connection),
                                                         std::make_unique<SmartBattery>(), log);
}

} // namespace mac
