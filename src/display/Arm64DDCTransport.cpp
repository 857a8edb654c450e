#include "display/Arm64DDC.h"

#include "platform/Clock.h"
#include "platform/Platform.h"

#include <functional>

namespace Arm64DDC {

namespace {
void sleepFor(uint32_t us) {
    platform::current().clock->sleepMicroseconds(us);
}
} // namespace

uint8_t checksum(uint8_t chk, const std::vector<uint8_t>& data, int start, int end) {
    uint8_t c = chk;
    for (int i = start; i <= end; ++i)
        c ^= data[size_t(i)];
    return c;
}

namespace {

constexpr uint8_t kVCPReplyOpcode = 0x02;
constexpr uint8_t kResultNoError = 0x00;

// One exchange with its retries; a reply is taken when its checksum holds and, with a check,
// when the check accepts it.
bool exchange(const platform::AVServiceRef& service, const std::vector<uint8_t>& send,
              std::vector<uint8_t>& reply, const DDCSettings& settings,
              const std::function<bool(const std::vector<uint8_t>&)>& accept) {
    auto* registry = platform::current().ioRegistry;
    if (!service || !registry) return false;

    std::vector<uint8_t> packet(send.size() + 3, 0);
    packet[0] = uint8_t(0x80 | (send.size() + 1));
    packet[1] = uint8_t(send.size());
    for (size_t i = 0; i < send.size(); ++i)
        packet[2 + i] = send[i];
    uint8_t seed = send.size() == 1 ? 0x6E : (0x6E ^ ARM64_DDC_DATA_ADDRESS);
    packet.back() = checksum(seed, packet, 0, int(packet.size()) - 2);

    const int attempts = int(settings.numOfRetryAttemps.value_or(4)) + 1;
    const int cycles = std::max<int>(settings.numOfWriteCycles.value_or(2), 1);
    for (int attempt = 0; attempt < attempts; ++attempt) {
        bool success = false;
        for (int cycle = 0; cycle < cycles; ++cycle) {
            sleepFor(settings.writeSleepTime.value_or(10000));
            success = registry->writeI2C(service, ARM64_DDC_7BIT_ADDRESS, ARM64_DDC_DATA_ADDRESS,
                                         packet.data(),
                                         uint32_t(packet.size())) == platform::kIOReturnSuccess;
        }
        if (!reply.empty()) {
            sleepFor(settings.readSleepTime.value_or(50000));
            if (registry->readI2C(service, ARM64_DDC_7BIT_ADDRESS, 0, reply.data(),
                                  uint32_t(reply.size())) == platform::kIOReturnSuccess)
                success = checksum(0x50, reply, 0, int(reply.size()) - 2) == reply.back() &&
                          (!accept || accept(reply));
        }
        if (success) return true;
        sleepFor(settings.retrySleepTime.value_or(20000));
    }
    return false;
}

} // namespace

bool performDDCCommunication(const platform::AVServiceRef& service,
                             const std::vector<uint8_t>& send, std::vector<uint8_t>& reply,
                             const DDCSettings& settings) {
    return exchange(service, send, reply, settings, nullptr);
}

bool write(const platform::AVServiceRef& service, uint8_t command, uint16_t value,
           const DDCSettings& settings) {
    std::vector<uint8_t> reply;
    DDCSettings s = settings;
    s.readSleepTime.reset();
    return performDDCCommunication(service, {command, uint8_t(value >> 8), uint8_t(value & 0xFF)},
                                   reply, s);
}

std::optional<VCPReply> read(const platform::AVServiceRef& service, uint8_t command,
                             const DDCSettings& settings) {
    std::vector<uint8_t> reply(11, 0);
    // A sound checksum is not enough: a reply of another kind, one saying the code is not
    // supported, or one about another code carries no value of this one.
    const auto isValueOfCommand = [command](const std::vector<uint8_t>& r) {
        return r[2] == kVCPReplyOpcode && r[3] == kResultNoError && r[4] == command;
    };
    if (!exchange(service, {command}, reply, settings, isValueOfCommand)) return std::nullopt;
    return VCPReply{uint16_t(reply[8] * 256 + reply[9]), uint16_t(reply[6] * 256 + reply[7])};
}

} // namespace Arm64DDC
