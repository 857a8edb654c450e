#include "platform/sim/SimRegistry.h"

#include "platform/sim/SimMonitor.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace sim {

using platform::Value;

namespace {

struct Entry : platform::RegistryEntry {
    Entry(const RegistryNode* n, std::string p) : node(n), path(std::move(p)) {}
    const RegistryNode* node;
    std::string path; // names below the root, joined by "/"
};

struct Service : platform::AVService {
    explicit Service(std::optional<DisplayID> d) : display(d) {}
    std::optional<DisplayID> display;
};

class Iterator : public platform::RegistryIterator {
  public:
    explicit Iterator(std::vector<std::shared_ptr<Entry>> entries) : entries_(std::move(entries)) {}
    platform::RegistryEntryRef next() override {
        if (index_ >= entries_.size()) return nullptr;
        return entries_[index_++];
    }

  private:
    std::vector<std::shared_ptr<Entry>> entries_;
    size_t index_ = 0;
};

void collect(const RegistryNode& node, const std::string& path,
             std::vector<std::shared_ptr<Entry>>& out) {
    for (const auto& child : node.children) {
        std::string p = path.empty() ? child.name : path + "/" + child.name;
        out.push_back(std::make_shared<Entry>(&child, p));
        collect(child, p, out);
    }
}

const Entry* asEntry(const platform::RegistryEntryRef& e) {
    return dynamic_cast<const Entry*>(e.get());
}

std::string hex4(int64_t v) {
    char b[8];
    std::snprintf(b, sizeof b, "%04X", unsigned(std::clamp<int64_t>(v, 0, 0xFFFF)));
    return b;
}

std::string hex2(int64_t v) {
    char b[4];
    std::snprintf(b, sizeof b, "%02X", unsigned(std::clamp<int64_t>(v, 0, 0xFF)));
    return b;
}

int64_t intOf(const Value& info, const char* key, int64_t fallback = 0) {
    auto v = info.find(key);
    return v && v->integer() ? *v->integer() : fallback;
}

Value dict(std::initializer_list<std::pair<std::string, Value>> items) {
    Value v;
    for (const auto& [k, x] : items)
        v.set(k, x);
    return v;
}

std::string englishName(const Value& info) {
    auto names = info.find("DisplayProductName");
    if (!names || !names->dict() || names->dict()->empty()) return {};
    if (auto en = names->find("en_US"); en && en->string()) return *en->string();
    return names->dict()->front().second.string().value_or("");
}

} // namespace

std::string edidUUIDFor(const Value& info) {
    // The keys sit where the matcher looks for them: vendor 0-3, product 4-7, date 19-22, size
    // 30-33.
    int64_t product = intOf(info, "DisplayProductID");
    std::string vendor = hex4(intOf(info, "DisplayVendorID"));
    std::string prod = hex2(product & 0xFF) + hex2((product >> 8) & 0xFF);
    std::string date = hex2(intOf(info, "DisplayWeekManufacture")) +
                       hex2(intOf(info, "DisplayYearManufacture", 1990) - 1990);
    std::string size = hex2(intOf(info, "DisplayHorizontalImageSize") / 10) +
                       hex2(intOf(info, "DisplayVerticalImageSize") / 10);
    return vendor + prod + "-0000-0000-" + date + "-0104B5" + size + "78";
}

RegistryNode generateRegistry(MachineDescription& d) {
    RegistryNode root{"Root", {}, {}, std::nullopt, false};
    RegistryNode platformNode{"J514sAP", {}, {}, std::nullopt, false};
    RegistryNode armpe{"AppleARMPE", {}, {}, std::nullopt, false};
    RegistryNode armio{"arm-io@10F00000", {}, {}, std::nullopt, false};
    armio.children.push_back(
        {"AppleT6000PMGR", dict({{"IOClass", "AppleT6000PMGR"}}), {}, std::nullopt, false});
    armio.children.push_back(
        {"AppleSmartBattery", dict({{"CurrentCapacity", 80}}), {}, std::nullopt, false});

    int externalIndex = 0;
    for (auto& x : d.displays) {
        const bool builtIn = x.builtIn;
        std::string pipe = builtIn ? "disp0@8C000000"
                                   : "dispext" + std::to_string(externalIndex) + "@" +
                                         std::to_string(0x28000000 + 0x400000 * externalIndex);
        if (!builtIn) ++externalIndex;
        RegistryNode pipeNode{pipe, dict({{"compatible", "dcp"}}), {}, std::nullopt, false};
        RegistryNode fb;
        fb.name = builtIn ? "AppleCLCD2" : "IOMobileFramebufferShim";
        Value product = dict({{"ManufacturerID", builtIn ? "APP" : "DEL"},
                              {"ProductName", englishName(x.info)},
                              {"SerialNumber", Value(intOf(x.info, "DisplaySerialNumber"))},
                              {"AlphanumericSerialNumber", "SN" + std::to_string(x.id * 7919)}});
        fb.properties =
            dict({{"EDID UUID", edidUUIDFor(x.info)},
                  {"DisplayAttributes", dict({{"ProductAttributes", product}})},
                  {"Transport", dict({{"Upstream", builtIn ? "Embedded" : "DP"},
                                      {"Downstream", builtIn ? "Embedded" : "HDMI"}})}});
        // A user client whose name only contains an interest string; the walk must skip it.
        fb.children.push_back({fb.name + "UserClient", {}, {}, std::nullopt, false});
        pipeNode.children.push_back(fb);
        RegistryNode dptx{"AppleDCPDPTXRemotePort", {}, {}, std::nullopt, false};
        RegistryNode proxy;
        proxy.name = "DCPAVServiceProxy";
        proxy.properties = dict({{"Location", builtIn ? "Embedded" : "External"}});
        if (!builtIn) proxy.avServiceDisplay = x.id;
        dptx.children.push_back(proxy);
        pipeNode.children.push_back(dptx);
        armio.children.push_back(pipeNode);

        std::string fbPath =
            "IOService:/J514sAP/AppleARMPE/arm-io@10F00000/" + pipe + "/" + fb.name;
        if (!x.info.isNull()) x.info.set("IODisplayLocation", fbPath);
    }
    armio.children.push_back(
        {"IOUSBHostDevice", dict({{"USB Product Name", "Keyboard"}}), {}, std::nullopt, false});
    armpe.children.push_back(armio);
    platformNode.children.push_back(armpe);
    root.children.push_back(platformNode);
    return root;
}

SimRegistry::SimRegistry(const RegistryNode& root, bool iteratorFails, bool hasAVServices,
                         platform::VirtualClock& clock, MonitorLookup monitors)
    : root_(root), iteratorFails_(iteratorFails), hasAVServices_(hasAVServices), clock_(clock),
      monitors_(std::move(monitors)) {}

platform::RegistryEntryRef SimRegistry::rootEntry() {
    return std::make_shared<Entry>(&root_, "");
}

std::unique_ptr<platform::RegistryIterator>
SimRegistry::createIterator(const platform::RegistryEntryRef& entry, const std::string& plane,
                            uint32_t options) {
    auto e = asEntry(entry);
    if (iteratorFails_ || !e || plane != "IOService") return nullptr;
    std::vector<std::shared_ptr<Entry>> entries;
    if (options & platform::kIORegistryIterateRecursively)
        collect(*e->node, e->path, entries);
    else
        for (const auto& c : e->node->children)
            entries.push_back(
                std::make_shared<Entry>(&c, e->path.empty() ? c.name : e->path + "/" + c.name));
    return std::make_unique<Iterator>(std::move(entries));
}

std::optional<std::string> SimRegistry::entryName(const platform::RegistryEntryRef& entry) {
    auto e = asEntry(entry);
    if (!e) return std::nullopt;
    return e->node->name.substr(0, 127);
}

std::optional<Value> SimRegistry::createCFProperty(const platform::RegistryEntryRef& entry,
                                                   const std::string& key) {
    auto e = asEntry(entry);
    if (!e) return std::nullopt;
    if (auto v = e->node->properties.find(key)) return *v;
    return std::nullopt;
}

namespace {
// A service matched by class: its properties are read afresh each time.
struct MatchedEntry : platform::RegistryEntry {
    std::string className;
};
} // namespace

platform::RegistryEntryRef SimRegistry::matchingService(const std::string& className) {
    auto it = services_.find(className);
    if (it == services_.end() || !it->second || !it->second()) return nullptr;
    auto entry = std::make_shared<MatchedEntry>();
    entry->className = className;
    return entry;
}

std::optional<Value> SimRegistry::createCFProperties(const platform::RegistryEntryRef& entry) {
    if (auto* matched = dynamic_cast<const MatchedEntry*>(entry.get())) {
        auto it = services_.find(matched->className);
        return it != services_.end() && it->second ? it->second() : std::nullopt;
    }
    auto e = asEntry(entry);
    if (!e) return std::nullopt;
    return e->node->properties;
}

std::optional<std::string> SimRegistry::entryPath(const platform::RegistryEntryRef& entry,
                                                  const std::string& plane) {
    auto e = asEntry(entry);
    if (!e || plane != "IOService") return std::nullopt;
    std::string path = "IOService:/" + e->path;
    if (path.size() > 511) return std::nullopt;
    return path;
}

platform::AVServiceRef SimRegistry::createAVService(const platform::RegistryEntryRef& entry) {
    auto e = asEntry(entry);
    if (!hasAVServices_ || !e || e->node->name != "DCPAVServiceProxy" ||
        e->node->avServiceCreationFails)
        return nullptr;
    return std::make_shared<Service>(e->node->avServiceDisplay);
}

platform::IOReturn SimRegistry::writeI2C(const platform::AVServiceRef& service,
                                         uint32_t chipAddress, uint32_t dataAddress,
                                         const uint8_t* buffer, uint32_t length) {
    auto s = dynamic_cast<const Service*>(service.get());
    SimMonitor* m = s && s->display ? monitors_(*s->display) : nullptr;
    if (!m) return platform::kIOReturnNotResponding;
    clock_.sleepMicroseconds(m->writeMicros());
    return m->writeI2C(chipAddress, dataAddress, buffer, length);
}

platform::IOReturn SimRegistry::readI2C(const platform::AVServiceRef& service, uint32_t chipAddress,
                                        uint32_t offset, uint8_t* buffer, uint32_t length) {
    auto s = dynamic_cast<const Service*>(service.get());
    SimMonitor* m = s && s->display ? monitors_(*s->display) : nullptr;
    if (!m) return platform::kIOReturnNotResponding;
    clock_.sleepMicroseconds(m->readMicros());
    return m->readI2C(chipAddress, offset, buffer, length);
}

} // namespace sim
