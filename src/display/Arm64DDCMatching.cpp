#include "display/Arm64DDC.h"

#include "platform/CoreDisplayInfo.h"
#include "platform/Platform.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <set>

namespace Arm64DDC {

using platform::Value;

namespace {

std::optional<std::string> stringProperty(const Value* v) {
    return v ? v->string() : std::nullopt;
}

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

std::string upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::toupper(c); });
    return s;
}

std::string hex(const char* format, int64_t value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, format, unsigned(value));
    return upper(buffer);
}

int64_t clampTo(int64_t v, int64_t hi) {
    return std::clamp<int64_t>(v, 0, hi);
}

} // namespace

std::optional<RegistryObject>
ioregIterateToNextObjectOfInterest(const std::vector<std::string>& interests,
                                   platform::RegistryIterator& iterator) {
    auto* registry = platform::current().ioRegistry;
    platform::RegistryEntryRef previous;
    for (;;) {
        auto entry = iterator.next();
        if (!entry) return std::nullopt;
        auto name = registry->entryName(entry);
        if (!name) return std::nullopt;
        for (const auto& interest : interests)
            if (name->find(interest) != std::string::npos)
                return RegistryObject{*name, entry, previous};
        previous = entry;
    }
}

IOregService getIORegServiceAppleCDC2Properties(const platform::RegistryEntryRef& entry) {
    auto* registry = platform::current().ioRegistry;
    IOregService s;
    if (auto uuid = registry->createCFProperty(entry, "EDID UUID"); uuid && uuid->string())
        s.edidUUID = *uuid->string();
    if (auto path = registry->entryPath(entry, "IOService")) s.ioDisplayLocation = *path;
    if (auto attrs = registry->createCFProperty(entry, "DisplayAttributes");
        attrs && attrs->isDict()) {
        s.displayAttributes = *attrs;
        if (auto product = attrs->find("ProductAttributes"); product && product->isDict()) {
            if (auto v = stringProperty(product->find("ManufacturerID"))) s.manufacturerID = *v;
            if (auto v = stringProperty(product->find("ProductName"))) s.productName = *v;
            if (auto v = product->find("SerialNumber"); v && v->integer())
                s.serialNumber = *v->integer();
            if (auto v = stringProperty(product->find("AlphanumericSerialNumber")))
                s.alphanumericSerialNumber = *v;
        }
    }
    if (auto transport = registry->createCFProperty(entry, "Transport");
        transport && transport->isDict()) {
        if (auto v = stringProperty(transport->find("Upstream"))) s.transportUpstream = *v;
        if (auto v = stringProperty(transport->find("Downstream"))) s.transportDownstream = *v;
    }
    return s;
}

void setIORegServiceDCPAVServiceProxy(const platform::RegistryEntryRef& entry,
                                      IOregService& ioregService) {
    auto* registry = platform::current().ioRegistry;
    auto location = registry->createCFProperty(entry, "Location");
    if (!location || !location->string()) return;
    ioregService.location = *location->string();
    if (ioregService.location == "External")
        ioregService.service = registry->createAVService(entry);
}

std::vector<IOregService> getIoregServicesForMatching() {
    std::vector<IOregService> result;
    auto* registry = platform::current().ioRegistry;
    if (!registry) return result;
    auto root = registry->rootEntry();
    auto iterator =
        registry->createIterator(root, "IOService", platform::kIORegistryIterateRecursively);
    if (!iterator) return result;
    const std::vector<std::string> interests = {"DCPAVServiceProxy", "AppleCLCD2",
                                                "IOMobileFramebufferShim"};
    IOregService current;
    int framebuffers = 0;
    while (auto object = ioregIterateToNextObjectOfInterest(interests, *iterator)) {
        if (object->name == "AppleCLCD2" || object->name == "IOMobileFramebufferShim") {
            current = getIORegServiceAppleCDC2Properties(object->entry);
            current.serviceLocation = ++framebuffers;
        } else if (object->name == "DCPAVServiceProxy") {
            setIORegServiceDCPAVServiceProxy(object->entry, current);
            result.push_back(current);
        }
    }
    return result; // the iterator and the root are released here
}

int ioregMatchScore(platform::DisplayID displayID, const std::string& ioregEdidUUID,
                    const std::string& ioDisplayLocation, const std::string& ioregProductName,
                    int64_t ioregSerialNumber, int /*serviceLocation*/) {
    auto* coreDisplay = platform::current().coreDisplay;
    if (!coreDisplay) return 0;
    auto info = coreDisplay->createInfoDictionary(displayID);
    if (!info) return 0;
    int score = 0;

    auto integer = [&](const char* key) -> std::optional<int64_t> {
        auto v = info->find(key);
        return v ? v->integer() : std::nullopt;
    };
    auto year = integer("DisplayYearManufacture"), week = integer("DisplayWeekManufacture");
    auto vendor = integer("DisplayVendorID"), product = integer("DisplayProductID");
    auto vsize = integer("DisplayVerticalImageSize"), hsize = integer("DisplayHorizontalImageSize");
    if (year && week && vendor && product && vsize && hsize) {
        int64_t p = clampTo(*product, 0xFFFF);
        std::vector<KeyLoc> keys = {
            {hex("%04x", clampTo(*vendor, 0xFFFF)), 0},
            {hex("%02x", p & 0xFF) + hex("%02x", (p >> 8) & 0xFF), 4},
            {hex("%02x", clampTo(*week, 255)) + hex("%02x", clampTo(*year - 1990, 255)), 19},
            {hex("%02x", clampTo(*hsize / 10, 255)) + hex("%02x", clampTo(*vsize / 10, 255)), 30},
        };
        for (const auto& k : keys) {
            size_t end = size_t(k.loc) + 4;
            if (k.key != "0000" && ioregEdidUUID.size() >= end &&
                ioregEdidUUID.substr(end - 4, 4) == k.key)
                ++score;
        }
    }
    if (!ioDisplayLocation.empty()) {
        auto v = info->find("IODisplayLocation");
        if (v && v->string() && *v->string() == ioDisplayLocation) score += 10;
    }
    if (!ioregProductName.empty()) {
        auto names = info->find("DisplayProductName");
        if (names && names->isDict() && !names->dict()->empty()) {
            const Value* name = names->find("en_US");
            if (!name) name = &names->dict()->front().second;
            if (name->string() && lower(*name->string()) == lower(ioregProductName)) ++score;
        }
    }
    if (ioregSerialNumber != 0) {
        auto serial = integer("DisplaySerialNumber");
        if (serial && *serial == ioregSerialNumber) ++score;
    }
    return score;
}

bool checkIfDiscouraged(const IOregService&) {
    return false;
}

bool checkIfDummy(const IOregService& s) {
    return s.manufacturerID == "AOC" && s.productName == "28E850";
}

std::vector<Arm64Service> getServiceMatches(const std::vector<platform::DisplayID>& displayIDs) {
    auto records = getIoregServicesForMatching();
    std::map<int, std::vector<Arm64Service>> buckets;
    for (auto id : displayIDs)
        for (const auto& r : records) {
            Arm64Service c;
            c.displayID = id;
            c.service = r.service;
            c.serviceLocation = r.serviceLocation;
            c.discouraged = checkIfDiscouraged(r);
            c.dummy = checkIfDummy(r);
            c.serviceDetails = r;
            c.matchScore = ioregMatchScore(id, r.edidUUID, r.ioDisplayLocation, r.productName,
                                           r.serialNumber, r.serviceLocation);
            buckets[c.matchScore].push_back(c);
        }
    std::vector<Arm64Service> accepted;
    std::set<platform::DisplayID> takenIDs;
    std::set<int> takenLocations;
    for (int score = MAX_MATCH_SCORE; score >= 1; --score) {
        auto it = buckets.find(score);
        if (it == buckets.end()) continue;
        for (const auto& c : it->second) {
            if (takenIDs.count(c.displayID) || takenLocations.count(c.serviceLocation)) continue;
            takenIDs.insert(c.displayID);
            takenLocations.insert(c.serviceLocation);
            accepted.push_back(c);
        }
    }
    return accepted;
}

} // namespace Arm64DDC
