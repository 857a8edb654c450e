#include "platform/sim/VirtualSmc.h"

#include <cstring>

namespace sim {

namespace {

using smc::fourCC;

std::vector<uint8_t> encoded(uint32_t number, size_t size, smc::ByteOrder order) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[order == smc::ByteOrder::little ? i : size - 1 - i] = uint8_t(number >> (8 * i));
    return bytes;
}

} // namespace

std::optional<SmcFirmware> smcFirmwareNamed(const std::string& name) {
    if (name == "newer") return SmcFirmware::newer;
    if (name == "older") return SmcFirmware::older;
    if (name == "none") return SmcFirmware::none;
    return std::nullopt;
}

const char* smcFirmwareName(SmcFirmware firmware) {
    switch (firmware) {
    case SmcFirmware::newer:
        return "newer";
    case SmcFirmware::older:
        return "older";
    case SmcFirmware::none:
        break;
    }
    return "none";
}

VirtualSmc::VirtualSmc(SmcFirmware firmware, Changed changed, smc::ByteOrder order)
    : firmware_(firmware), changed_(std::move(changed)), order_(order) {
    using namespace smc::types;
    // Keys that every generation lists, so the charging keys are never the whole list.
    keys_[fourCC("BNum")] = {ui8, {1}};
    keys_[fourCC("CHWA")] = {ui8, {0}};
    switch (firmware) {
    case SmcFirmware::newer:
        keys_[fourCC("CHTE")] = {ui32, encoded(0, 4, order)};
        keys_[fourCC("CHIE")] = {hex, {0}};
        break;
    case SmcFirmware::older:
        keys_[fourCC("CH0B")] = {ui8, {0}};
        keys_[fourCC("CH0C")] = {ui8, {0}};
        keys_[fourCC("CH0I")] = {ui8, {0}};
        break;
    case SmcFirmware::none:
        break;
    }
    keys_[fourCC("#KEY")] = {ui32, encoded(uint32_t(keys_.size() + 1), 4, order)};
}

uint32_t VirtualSmc::number(smc::FourCC key) const {
    const auto found = keys_.find(key);
    if (found == keys_.end()) return 0;
    return smc::decodeUnsigned({found->second.type, found->second.bytes}, order_)
        .value_or(found->second.bytes.empty() ? 0 : found->second.bytes.front());
}

bool VirtualSmc::chargingInhibited() const {
    if (firmware_ == SmcFirmware::newer) return number(fourCC("CHTE")) != 0;
    return number(fourCC("CH0B")) != 0 || number(fourCC("CH0C")) != 0;
}

bool VirtualSmc::adapterBypassed() const {
    return number(fourCC(firmware_ == SmcFirmware::newer ? "CHIE" : "CH0I")) != 0;
}

std::vector<uint8_t> VirtualSmc::bytes(smc::FourCC key) const {
    const auto found = keys_.find(key);
    return found == keys_.end() ? std::vector<uint8_t>{} : found->second.bytes;
}

bool VirtualSmc::call(const smc::Parameters& in, smc::Parameters& out, std::string& error) {
    if (!answering_) {
        error = "the user client did not answer";
        return false;
    }
    std::memset(&out, 0, sizeof out);
    out.key = in.key;
    switch (smc::Command(in.command)) {
    case smc::Command::keyAtIndex: {
        if (in.data32 >= keys_.size()) {
            out.result = kKeyNotFound;
            return true;
        }
        auto at = keys_.begin();
        std::advance(at, in.data32);
        out.key = at->first;
        return true;
    }
    case smc::Command::keyInfo:
    case smc::Command::readBytes:
    case smc::Command::writeBytes:
        break;
    default:
        error = "unknown command " + std::to_string(in.command);
        return false;
    }
    const auto found = keys_.find(in.key);
    if (found == keys_.end()) {
        out.result = kKeyNotFound;
        return true;
    }
    Key& key = found->second;
    if (in.command == uint8_t(smc::Command::keyInfo)) {
        out.info = {uint32_t(key.bytes.size()), key.type, 0xD0};
        return true;
    }
    if (in.info.dataSize != key.bytes.size()) {
        out.result = kBadSize;
        return true;
    }
    if (in.command == uint8_t(smc::Command::readBytes)) {
        std::memcpy(out.bytes, key.bytes.data(), key.bytes.size());
        return true;
    }
    ++writes_;
    if (forgetful_.count(in.key)) return true;
    key.bytes.assign(in.bytes, in.bytes + key.bytes.size());
    // Told at every write: a battery that outlived an earlier helper's controller learns the
    // switch again from the first write.
    if (changed_) changed_(chargingInhibited(), adapterBypassed());
    return true;
}

} // namespace sim
