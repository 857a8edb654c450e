#pragma once
// The virtual Mac's system management controller as its user client answers: the 80-byte
// structure in and out, keys listed by index, each with its size and type, and the charging
// keys of one firmware generation (or none). What the helper writes to those keys becomes the
// battery's charging switch. Faults for the tests: a key that does not keep what is written, a
// user client that stops answering.

#include "helper/SmcProtocol.h"

#include <functional>
#include <map>
#include <set>
#include <string>

namespace sim {

enum class SmcFirmware {
    newer, // CHTE and CHIE
    older, // CH0B, CH0C and CH0I
    none,  // no charging keys at all
};
// "newer", "older", "none"; none for another text.
std::optional<SmcFirmware> smcFirmwareNamed(const std::string& name);
const char* smcFirmwareName(SmcFirmware firmware);

class VirtualSmc : public smc::Transport {
  public:
    // The result byte for a key the controller does not have.
    static constexpr uint8_t kKeyNotFound = 0x84;
    // The result byte for a size that is not the key's.
    static constexpr uint8_t kBadSize = 0x85;

    using Changed = std::function<void(bool chargingInhibited, bool adapterBypassed)>;
    VirtualSmc(SmcFirmware firmware, Changed changed = {},
               smc::ByteOrder order = smc::ByteOrder::little);

    bool call(const smc::Parameters& in, smc::Parameters& out, std::string& error) override;

    bool chargingInhibited() const;
    bool adapterBypassed() const;
    // The key's bytes, empty when it has none.
    std::vector<uint8_t> bytes(smc::FourCC key) const;
    // Writes to key are answered as done and forgotten.
    void forgetWritesTo(smc::FourCC key) { forgetful_.insert(key); }
    // Every call fails as a broken user client's would.
    void setAnswering(bool answering) { answering_ = answering; }
    int writes() const { return writes_; }

  private:
    struct Key {
        smc::FourCC type;
        std::vector<uint8_t> bytes;
    };
    uint32_t number(smc::FourCC key) const;

    SmcFirmware firmware_;
    Changed changed_;
    smc::ByteOrder order_;
    std::map<smc::FourCC, Key> keys_; // listed in key order
    std::set<smc::FourCC> forgetful_;
    bool answering_ = true;
    int writes_ = 0;
};

} // namespace sim
