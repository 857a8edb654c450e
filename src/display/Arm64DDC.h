#pragma once
// DDC/CI on Apple silicon: pairing displays with the AV services of their display pipes in the
// I/O registry, and VCP exchanges over a service's I2C channel. Every function blocks.

#include "platform/Displays.h"
#include "platform/IORegistry.h"
#include "platform/Value.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Arm64DDC {

constexpr uint8_t ARM64_DDC_7BIT_ADDRESS = 0x37;
constexpr uint8_t ARM64_DDC_DATA_ADDRESS = 0x51;
constexpr int MAX_MATCH_SCORE = 20;
constexpr bool isArm64 = true;

struct IOregService {
    std::string edidUUID;
    std::string manufacturerID;
    std::string productName;
    int64_t serialNumber = 0;
    std::string alphanumericSerialNumber;
    std::string location;
    std::string ioDisplayLocation;
    std::string transportUpstream;
    std::string transportDownstream;
    platform::AVServiceRef service;
    int serviceLocation = 0;
    std::optional<platform::Value> displayAttributes;
};

struct Arm64Service {
    platform::DisplayID displayID = 0;
    platform::AVServiceRef service;
    int serviceLocation = 0;
    bool discouraged = false;
    bool dummy = false;
    IOregService serviceDetails;
    int matchScore = 0;
};

struct KeyLoc {
    std::string key;
    int loc = 0;
};

struct RegistryObject {
    std::string name;
    platform::RegistryEntryRef entry;
    platform::RegistryEntryRef preceedingEntry;
};

// Optional transport settings; unset ones take their defaults.
struct DDCSettings {
    std::optional<uint32_t> writeSleepTime;
    std::optional<uint8_t> numOfWriteCycles;
    std::optional<uint32_t> readSleepTime;
    std::optional<uint8_t> numOfRetryAttemps;
    std::optional<uint32_t> retrySleepTime;
};

struct VCPReply {
    uint16_t current = 0;
    uint16_t max = 0;
};

std::vector<Arm64Service> getServiceMatches(const std::vector<platform::DisplayID>& displayIDs);
std::vector<IOregService> getIoregServicesForMatching();
std::optional<RegistryObject>
ioregIterateToNextObjectOfInterest(const std::vector<std::string>& interests,
                                   platform::RegistryIterator& iterator);
IOregService getIORegServiceAppleCDC2Properties(const platform::RegistryEntryRef& entry);
void setIORegServiceDCPAVServiceProxy(const platform::RegistryEntryRef& entry,
                                      IOregService& ioregService);
int ioregMatchScore(platform::DisplayID displayID, const std::string& ioregEdidUUID,
                    const std::string& ioDisplayLocation = "",
                    const std::string& ioregProductName = "", int64_t ioregSerialNumber = 0,
                    int serviceLocation = 0);
bool checkIfDiscouraged(const IOregService& ioregService);
bool checkIfDummy(const IOregService& ioregService);

bool write(const platform::AVServiceRef& service, uint8_t command, uint16_t value,
           const DDCSettings& settings = {});
std::optional<VCPReply> read(const platform::AVServiceRef& service, uint8_t command,
                             const DDCSettings& settings = {});
bool performDDCCommunication(const platform::AVServiceRef& service,
                             const std::vector<uint8_t>& send, std::vector<uint8_t>& reply,
                             const DDCSettings& settings = {});
uint8_t checksum(uint8_t chk, const std::vector<uint8_t>& data, int start, int end);

} // namespace Arm64DDC
