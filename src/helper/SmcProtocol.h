#pragma once
// The system management controller's key/value protocol as its user client speaks it: one
// 80-byte structure goes in and comes back out of a single call. Keys are four characters; a
// key is read by asking its size and type first, then its bytes; a write goes with exactly
// that size and is read back. Plain C++: what carries the structure (IOKit on a Mac, a model
// in memory elsewhere) is a Transport.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

namespace smc {

// A key or a data type: four ASCII characters, the first in the highest byte, so 'CH0B' is
// 0x43483042.
using FourCC = uint32_t;
constexpr FourCC fourCC(const char (&text)[5]) {
    return FourCC(uint8_t(text[0])) << 24 | FourCC(uint8_t(text[1])) << 16 |
           FourCC(uint8_t(text[2])) << 8 | FourCC(uint8_t(text[3]));
}
// The four characters, a character that is not printable ASCII shown as '?'.
std::string fourCCText(FourCC code);

namespace types {
inline constexpr FourCC ui8 = fourCC("ui8 ");
inline constexpr FourCC ui16 = fourCC("ui16");
inline constexpr FourCC ui32 = fourCC("ui32");
inline constexpr FourCC flag = fourCC("flag");
inline constexpr FourCC hex = fourCC("hex_");
} // namespace types

// The commands, carried in the structure's command byte.
enum class Command : uint8_t { readBytes = 5, writeBytes = 6, keyAtIndex = 8, keyInfo = 9 };

struct Version {
    uint8_t major, minor, build, reserved;
    uint16_t release;
};
struct PowerLimits {
    uint16_t version, length;
    uint32_t cpu, gpu, memory;
};
struct KeyInfo {
    uint32_t dataSize;
    FourCC dataType;
    uint8_t attributes;
};

// The structure, in the machine's own byte order. Every Mac is little-endian (arm64, x86_64),
// as are the layouts the tests record.
struct Parameters {
    FourCC key;
    Version version;
    PowerLimits limits;
    KeyInfo info;
    uint8_t result;
    uint8_t status;
    uint8_t command;
    uint32_t data32;
    uint8_t bytes[32];
};
static_assert(std::endian::native == std::endian::little);
static_assert(std::is_standard_layout_v<Parameters> && std::is_trivially_copyable_v<Parameters>);
static_assert(sizeof(Version) == 6 && sizeof(PowerLimits) == 16 && sizeof(KeyInfo) == 12);
static_assert(sizeof(Parameters) == 80);
static_assert(offsetof(Parameters, key) == 0 && offsetof(Parameters, version) == 4 &&
              offsetof(Parameters, limits) == 12 && offsetof(Parameters, info) == 28 &&
              offsetof(Parameters, result) == 40 && offsetof(Parameters, status) == 41 &&
              offsetof(Parameters, command) == 42 && offsetof(Parameters, data32) == 44 &&
              offsetof(Parameters, bytes) == 48);
static_assert(offsetof(KeyInfo, dataType) == 4 && offsetof(KeyInfo, attributes) == 8);
inline constexpr size_t kMaxValueBytes = sizeof(Parameters::bytes);

class Transport {
  public:
    virtual ~Transport() = default;
    // One exchange; false with the reason when the call itself failed.
    virtual bool call(const Parameters& in, Parameters& out, std::string& error) = 0;
};

// Why an exchange did not give what was asked.
struct Failure {
    enum class Kind {
        none,
        transport, // the call failed: nothing is known of the key
        refused,   // the controller answered with a result other than 0 (an unknown key, ...)
        unusable,  // an answer that cannot be used (a size the structure cannot hold, ...)
        mismatch,  // a write read back as something else
    } kind = Kind::none;
    std::string text;
};

struct Value {
    FourCC type = 0;
    std::vector<uint8_t> bytes;
};

enum class ByteOrder { little, big };
const char* byteOrderName(ByteOrder order);

// The whole-number types (ui8, ui16, ui32, flag) whose size is the type's own; none for any
// other type or size.
std::optional<uint32_t> decodeUnsigned(const Value& value, ByteOrder order);
// number in a key of that type and size; none when the type is not a whole-number one, the
// size is not the type's, or the number does not fit.
std::optional<std::vector<uint8_t>> encodeUnsigned(const KeyInfo& info, uint32_t number,
                                                   ByteOrder order);
// "01 00 00 00".
std::string hexBytes(const std::vector<uint8_t>& bytes);

class Client {
  public:
    explicit Client(Transport& transport) : transport_(transport) {}
    // A key's size and type; remembered, since they never change while the machine runs.
    std::optional<KeyInfo> keyInfo(FourCC key, Failure& failure);
    std::optional<Value> read(FourCC key, Failure& failure);
    // Exactly the key's size, then read back: a key the controller does not keep as written is
    // a mismatch.
    bool write(FourCC key, const std::vector<uint8_t>& bytes, Failure& failure);
    // The index-th key of the controller's list.
    std::optional<FourCC> keyAt(uint32_t index, Failure& failure);

  private:
    bool exchange(const Parameters& in, Parameters& out, const std::string& what, Failure& failure);

    Transport& transport_;
    std::map<FourCC, KeyInfo> infos_;
};

// How this controller orders the bytes of its numbers, told by the key count it reports
// ('#KEY', a ui32) read both ways: the right reading is the one whose last index names a key
// while the next index names none (refused, or the call failing). None when neither or both
// readings fit; detail says what was found either way.
std::optional<ByteOrder> detectByteOrder(Client& client, std::string& detail);

} // namespace smc
