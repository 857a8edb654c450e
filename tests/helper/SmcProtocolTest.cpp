// The controller's key/value protocol against byte layouts written down field by field (what
// goes to the user client and what it answers), and the numbers of each data type both ways.

#include "helper/SmcProtocol.h"
#include "platform/sim/VirtualSmc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <deque>

namespace {

using Bytes = std::array<uint8_t, 80>;
using smc::fourCC;

// An 80-byte structure from (offset, bytes) pieces; everything else is zero.
Bytes layout(std::initializer_list<std::pair<size_t, std::vector<uint8_t>>> pieces) {
    Bytes bytes{};
    for (const auto& [offset, piece] : pieces)
        std::copy(piece.begin(), piece.end(), bytes.begin() + offset);
    return bytes;
}

// Checks each request against the layout written down for it and answers with the next reply.
class RecordedTransport : public smc::Transport {
  public:
    struct Exchange {
        Bytes request, reply;
    };
    std::deque<Exchange> script;
    std::vector<std::string> mismatches;

    bool call(const smc::Parameters& in, smc::Parameters& out, std::string& error) override {
        if (script.empty()) {
            error = "no exchange expected";
            return false;
        }
        Bytes sent;
        std::memcpy(sent.data(), &in, sizeof in);
        if (sent != script.front().request)
            mismatches.push_back(
                "request " + std::to_string(calls) + " differs at byte " +
                std::to_string(
                    std::mismatch(sent.begin(), sent.end(), script.front().request.begin()).first -
                    sent.begin()));
        std::memcpy(&out, script.front().reply.data(), sizeof out);
        script.pop_front();
        ++calls;
        return true;
    }
    int calls = 0;
};

// 'CHTE', 'ui32' and 'hex_' as the structure carries them on a little-endian Mac.
const std::vector<uint8_t> kCHTE = {'E', 'T', 'H', 'C'};
const std::vector<uint8_t> kUi32 = {'2', '3', 'i', 'u'};
const std::vector<uint8_t> kSize4 = {4, 0, 0, 0};

} // namespace

TEST(SmcProtocol, ReadsAndWritesAKeyWithTheRecordedLayouts) {
    RecordedTransport transport;
    // Key info of CHTE: command 9 at byte 42; the answer's size and type at 28 and 32.
    transport.script.push_back({layout({{0, kCHTE}, {42, {9}}}),
                                layout({{0, kCHTE}, {28, kSize4}, {32, kUi32}, {36, {0xD4}}})});
    // Reading it: command 5 with the size at 28; the value at 48.
    transport.script.push_back(
        {layout({{0, kCHTE}, {28, kSize4}, {42, {5}}}), layout({{0, kCHTE}, {48, {1, 0, 0, 0}}})});
    smc::Client client(transport);
    smc::Failure failure;
    const auto value = client.read(fourCC("CHTE"), failure);
    ASSERT_TRUE(value) << failure.text;
    EXPECT_EQ(value->type, smc::types::ui32);
    EXPECT_EQ(value->bytes, (std::vector<uint8_t>{1, 0, 0, 0}));
    EXPECT_EQ(smc::decodeUnsigned(*value, smc::ByteOrder::little), 1u);
    EXPECT_EQ(smc::decodeUnsigned(*value, smc::ByteOrder::big), 0x01000000u);

    // Writing it: the size is known now, so command 6 with the value at 48, then the read back.
    transport.script.push_back(
        {layout({{0, kCHTE}, {28, kSize4}, {42, {6}}, {48, {0, 0, 0, 0}}}), layout({{0, kCHTE}})});
    transport.script.push_back(
        {layout({{0, kCHTE}, {28, kSize4}, {42, {5}}}), layout({{0, kCHTE}, {48, {0, 0, 0, 0}}})});
    EXPECT_TRUE(client.write(fourCC("CHTE"), {0, 0, 0, 0}, failure)) << failure.text;

    // A controller that answers the write but keeps the old value is caught by the read back.
    transport.script.push_back(
        {layout({{0, kCHTE}, {28, kSize4}, {42, {6}}, {48, {1, 0, 0, 0}}}), layout({{0, kCHTE}})});
    transport.script.push_back(
        {layout({{0, kCHTE}, {28, kSize4}, {42, {5}}}), layout({{0, kCHTE}, {48, {0, 0, 0, 0}}})});
    EXPECT_FALSE(client.write(fourCC("CHTE"), {1, 0, 0, 0}, failure));
    EXPECT_EQ(failure.kind, smc::Failure::Kind::mismatch);
    EXPECT_EQ(failure.text, "CHTE read back 00 00 00 00 after writing 01 00 00 00");

    // The key at an index: command 8, the index in data32 at 44, the key in the answer.
    transport.script.push_back(
        {layout({{42, {8}}, {44, {7, 0, 0, 0}}}), layout({{0, {'Y', 'E', 'K', '#'}}})});
    EXPECT_EQ(client.keyAt(7, failure), fourCC("#KEY"));

    EXPECT_TRUE(transport.mismatches.empty()) << transport.mismatches.front();
    EXPECT_TRUE(transport.script.empty());
}

TEST(SmcProtocol, RefusalsAndAnswersThatCannotBeUsedAreFailuresWithTheirReason) {
    RecordedTransport transport;
    smc::Client client(transport);
    smc::Failure failure;
    // An unknown key: the result byte at 40 is not 0.
    transport.script.push_back({layout({{0, {'B', '0', 'H', 'C'}}, {42, {9}}}),
                                layout({{0, {'B', '0', 'H', 'C'}}, {40, {0x84}}})});
    EXPECT_FALSE(client.keyInfo(fourCC("CH0B"), failure));
    EXPECT_EQ(failure.kind, smc::Failure::Kind::refused);
    EXPECT_EQ(failure.text, "key info of CH0B refused (result 0x84)");

    // A size the structure's 32 bytes cannot carry is never read into it.
    transport.script.push_back(
        {layout({{0, kCHTE}, {42, {9}}}), layout({{0, kCHTE}, {28, {33, 0, 0, 0}}, {32, kUi32}})});
    EXPECT_FALSE(client.read(fourCC("CHTE"), failure));
    EXPECT_EQ(failure.kind, smc::Failure::Kind::unusable);
    EXPECT_EQ(transport.calls, 2) << "nothing is read after the key info";

    // A write of another size than the key's is not sent.
    transport.script.push_back(
        {layout({{0, kCHTE}, {42, {9}}}), layout({{0, kCHTE}, {28, kSize4}, {32, kUi32}})});
    EXPECT_FALSE(client.write(fourCC("CHTE"), {1}, failure));
    EXPECT_EQ(failure.text, "CHTE holds 4 bytes, not 1");
    EXPECT_EQ(transport.calls, 3);

    // The call itself failing.
    EXPECT_FALSE(client.keyAt(0, failure));
    EXPECT_EQ(failure.kind, smc::Failure::Kind::transport);
    EXPECT_TRUE(transport.mismatches.empty()) << transport.mismatches.front();
}

TEST(SmcProtocol, NumbersAreEncodedInTheirTypesSizeAndOrder) {
    using smc::ByteOrder;
    using namespace smc::types;
    struct Case {
        smc::KeyInfo info;
        uint32_t number;
        std::vector<uint8_t> little, big;
    };
    const Case cases[] = {
        {{1, ui8, 0}, 0x02, {0x02}, {0x02}},
        {{1, flag, 0}, 1, {0x01}, {0x01}},
        {{2, ui16, 0}, 0x1234, {0x34, 0x12}, {0x12, 0x34}},
        {{4, ui32, 0}, 1, {1, 0, 0, 0}, {0, 0, 0, 1}},
        {{4, ui32, 0}, 0xFFFFFFFF, {0xFF, 0xFF, 0xFF, 0xFF}, {0xFF, 0xFF, 0xFF, 0xFF}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(smc::encodeUnsigned(c.info, c.number, ByteOrder::little), c.little);
        EXPECT_EQ(smc::encodeUnsigned(c.info, c.number, ByteOrder::big), c.big);
        EXPECT_EQ(smc::decodeUnsigned({c.info.dataType, c.little}, ByteOrder::little), c.number);
        EXPECT_EQ(smc::decodeUnsigned({c.info.dataType, c.big}, ByteOrder::big), c.number);
    }
    // Too large for the key, a size that is not the type's, or a type that is not a number.
    EXPECT_FALSE(smc::encodeUnsigned({1, ui8, 0}, 256, ByteOrder::little));
    EXPECT_FALSE(smc::encodeUnsigned({2, ui8, 0}, 1, ByteOrder::little));
    EXPECT_FALSE(smc::encodeUnsigned({1, hex, 0}, 1, ByteOrder::little));
    EXPECT_FALSE(smc::decodeUnsigned({ui32, {1, 0}}, ByteOrder::little));
    EXPECT_FALSE(smc::decodeUnsigned({hex, {1}}, ByteOrder::little));
    EXPECT_EQ(smc::fourCCText(fourCC("ui8 ")), "ui8 ");
    EXPECT_EQ(smc::fourCCText(0x43480001), "CH??");
}

TEST(SmcProtocol, TheByteOrderIsToldByWhereTheKeyListEnds) {
    for (auto order : {smc::ByteOrder::little, smc::ByteOrder::big}) {
        sim::VirtualSmc controller(sim::SmcFirmware::newer, {}, order);
        smc::Client client(controller);
        std::string detail;
        EXPECT_EQ(smc::detectByteOrder(client, detail), order) << detail;
    }
    // A user client whose call fails past the last key, instead of refusing the index.
    struct FailingPastTheEnd : smc::Transport {
        sim::VirtualSmc inner{sim::SmcFirmware::newer};
        uint32_t count = 0;
        bool call(const smc::Parameters& in, smc::Parameters& out, std::string& error) override {
            if (in.command == 8 && count && in.data32 >= count) {
                error = "the call returned 0xe00002c2";
                return false;
            }
            return inner.call(in, out, error);
        }
    } failing;
    {
        smc::Client probe(failing.inner);
        smc::Failure failure;
        const auto keys = probe.read(smc::fourCC("#KEY"), failure);
        ASSERT_TRUE(keys);
        failing.count = *smc::decodeUnsigned(*keys, smc::ByteOrder::little);
        smc::Client client(failing);
        std::string detail;
        EXPECT_EQ(smc::detectByteOrder(client, detail), smc::ByteOrder::little) << detail;
    }
    // A controller that cannot be asked: no order, and why.
    sim::VirtualSmc silent(sim::SmcFirmware::newer);
    silent.setAnswering(false);
    smc::Client client(silent);
    std::string detail;
    EXPECT_FALSE(smc::detectByteOrder(client, detail));
    EXPECT_EQ(detail, "the key count could not be read: key info of #KEY failed: the user client "
                      "did not answer");
}
