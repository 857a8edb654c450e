#include "helper/SmcProtocol.h"

#include <cstdio>
#include <cstring>

namespace smc {

std::string fourCCText(FourCC code) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = char((code >> shift) & 0xFF);
        text += c >= 0x20 && c < 0x7F ? c : '?';
    }
    return text;
}

const char* byteOrderName(ByteOrder order) {
    return order == ByteOrder::little ? "little-endian" : "big-endian";
}

namespace {

// The size of each whole-number type.
std::optional<size_t> unsignedSize(FourCC type) {
    if (type == types::ui8 || type == types::flag) return 1;
    if (type == types::ui16) return 2;
    if (type == types::ui32) return 4;
    return std::nullopt;
}

std::string hexByte(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02x", value & 0xFF);
    return text;
}

const char* commandName(Command command) {
    switch (command) {
    case Command::readBytes:
        return "read";
    case Command::writeBytes:
        return "write";
    case Command::keyAtIndex:
        return "key at index";
    case Command::keyInfo:
        return "key info";
    }
    return "command";
}

Parameters asking(Command command, FourCC key) {
    Parameters p;
    std::memset(&p, 0, sizeof p);
    p.key = key;
    p.command = uint8_t(command);
    return p;
}

} // namespace

std::optional<uint32_t> decodeUnsigned(const Value& value, ByteOrder order) {
    const auto size = unsignedSize(value.type);
    if (!size || value.bytes.size() != *size) return std::nullopt;
    uint32_t number = 0;
    for (size_t i = 0; i < *size; ++i) {
        const size_t at = order == ByteOrder::big ? i : *size - 1 - i;
        number = number << 8 | value.bytes[at];
    }
    return number;
}

std::optional<std::vector<uint8_t>> encodeUnsigned(const KeyInfo& info, uint32_t number,
                                                   ByteOrder order) {
    const auto size = unsignedSize(info.dataType);
    if (!size || info.dataSize != *size) return std::nullopt;
    if (*size < 4 && number >> (8 * *size) != 0) return std::nullopt;
    std::vector<uint8_t> bytes(*size);
    for (size_t i = 0; i < *size; ++i) {
        const size_t at = order == ByteOrder::little ? i : *size - 1 - i;
        bytes[at] = uint8_t(number >> (8 * i));
    }
    return bytes;
}

std::string hexBytes(const std::vector<uint8_t>& bytes) {
    std::string text;
    char byte[4];
    for (uint8_t b : bytes) {
        std::snprintf(byte, sizeof byte, "%02x", b);
        text += (text.empty() ? "" : " ") + std::string(byte);
    }
    return text.empty() ? "nothing" : text;
}

bool Client::exchange(const Parameters& in, Parameters& out, const std::string& what,
                      Failure& failure) {
    std::memset(&out, 0, sizeof out);
    std::string error;
    const std::string asked = std::string(commandName(Command(in.command))) + " of " + what;
    if (!transport_.call(in, out, error)) {
        failure = {Failure::Kind::transport, asked + " failed: " + error};
        return false;
    }
    if (out.result != 0) {
        failure = {Failure::Kind::refused, asked + " refused (result " + hexByte(out.result) + ")"};
        return false;
    }
    return true;
}

std::optional<KeyInfo> Client::keyInfo(FourCC key, Failure& failure) {
    if (auto known = infos_.find(key); known != infos_.end()) return known->second;
    Parameters out;
    if (!exchange(asking(Command::keyInfo, key), out, fourCCText(key), failure))
        return std::nullopt;
    const KeyInfo info = out.info;
    if (info.dataSize == 0 || info.dataSize > kMaxValueBytes) {
        failure = {Failure::Kind::unusable, fourCCText(key) + " reports " +
                                                std::to_string(info.dataSize) +
                                                " bytes, which one exchange cannot carry"};
        return std::nullopt;
    }
    infos_[key] = info;
    return info;
}

std::optional<Value> Client::read(FourCC key, Failure& failure) {
    const auto info = keyInfo(key, failure);
    if (!info) return std::nullopt;
    Parameters in = asking(Command::readBytes, key);
    in.info.dataSize = info->dataSize;
    Parameters out;
    if (!exchange(in, out, fourCCText(key), failure)) return std::nullopt;
    return Value{info->dataType, std::vector<uint8_t>(out.bytes, out.bytes + info->dataSize)};
}

bool Client::write(FourCC key, const std::vector<uint8_t>& bytes, Failure& failure) {
    const auto info = keyInfo(key, failure);
    if (!info) return false;
    if (bytes.size() != info->dataSize) {
        failure = {Failure::Kind::unusable, fourCCText(key) + " holds " +
                                                std::to_string(info->dataSize) + " bytes, not " +
                                                std::to_string(bytes.size())};
        return false;
    }
    Parameters in = asking(Command::writeBytes, key);
    in.info.dataSize = info->dataSize;
    std::memcpy(in.bytes, bytes.data(), bytes.size());
    Parameters out;
    if (!exchange(in, out, fourCCText(key), failure)) return false;
    const auto back = read(key, failure);
    if (!back) return false;
    if (back->bytes != bytes) {
        failure = {Failure::Kind::mismatch, fourCCText(key) + " read back " +
                                                hexBytes(back->bytes) + " after writing " +
                                                hexBytes(bytes)};
        return false;
    }
    return true;
}

std::optional<FourCC> Client::keyAt(uint32_t index, Failure& failure) {
    Parameters in = asking(Command::keyAtIndex, 0);
    in.data32 = index;
    Parameters out;
    if (!exchange(in, out, "index " + std::to_string(index), failure)) return std::nullopt;
    return out.key;
}

std::optional<ByteOrder> detectByteOrder(Client& client, std::string& detail) {
    Failure failure;
    const auto count = client.read(fourCC("#KEY"), failure);
    if (!count) {
        detail = "the key count could not be read: " + failure.text;
        return std::nullopt;
    }
    if (count->type != types::ui32 || count->bytes.size() != 4) {
        detail = "the key count is " + fourCCText(count->type) + " of " +
                 std::to_string(count->bytes.size()) + " bytes, not ui32";
        return std::nullopt;
    }
    std::vector<ByteOrder> fitting;
    detail.clear();
    for (ByteOrder order : {ByteOrder::little, ByteOrder::big}) {
        const uint32_t keys = *decodeUnsigned(*count, order);
        // A count no controller has is not asked about.
        bool fits = keys > 0 && keys <= 1000000;
        if (fits) {
            // How the user client answers an index past the end is not documented: a refusal
            // and a failed call both end the list, once the index before it named a key.
            Failure last, past;
            fits = client.keyAt(keys - 1, last) && !client.keyAt(keys, past);
            if (last.kind == Failure::Kind::transport) {
                detail = "the key list could not be read: " + last.text;
                return std::nullopt;
            }
        }
        detail += std::string(detail.empty() ? "" : ", ") + "read " + byteOrderName(order) +
                  " #KEY is " + std::to_string(keys) +
                  (fits ? " and the key list ends there" : " and the key list does not end there");
        if (fits) fitting.push_back(order);
    }
    if (fitting.size() != 1) return std::nullopt;
    return fitting.front();
}

} // namespace smc
