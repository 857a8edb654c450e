// DDC/CI replies as a monitor sends them, through the transport's reply handling: any length,
// any checksum, any VCP values, and writes the bus refuses.

#include "FuzzSupport.h"
#include "display/Arm64DDC.h"
#include "platform/Clock.h"
#include "platform/Platform.h"

#include <cstring>

namespace {

struct Monitor : platform::AVService {};

class Bus : public platform::IORegistry {
  public:
    FuzzedDataProvider* in = nullptr;
    platform::RegistryEntryRef rootEntry() override { return nullptr; }
    uint64_t generation() const override { return 0; }
    std::unique_ptr<platform::RegistryIterator>
    createIterator(const platform::RegistryEntryRef&, const std::string&, uint32_t) override {
        return nullptr;
    }
    std::optional<std::string> entryName(const platform::RegistryEntryRef&) override { return {}; }
    std::optional<platform::Value> createCFProperty(const platform::RegistryEntryRef&,
                                                    const std::string&) override {
        return {};
    }
    std::optional<std::string> entryPath(const platform::RegistryEntryRef&,
                                         const std::string&) override {
        return {};
    }
    platform::RegistryEntryRef matchingService(const std::string&) override { return nullptr; }
    std::optional<platform::Value> createCFProperties(const platform::RegistryEntryRef&) override {
        return {};
    }
    platform::AVServiceRef createAVService(const platform::RegistryEntryRef&) override {
        return nullptr;
    }
    platform::IOReturn writeI2C(const platform::AVServiceRef&, uint32_t, uint32_t, const uint8_t*,
                                uint32_t) override {
        return in->ConsumeBool() ? platform::kIOReturnSuccess : platform::kIOReturnNotResponding;
    }
    platform::IOReturn readI2C(const platform::AVServiceRef&, uint32_t, uint32_t, uint8_t* buffer,
                               uint32_t length) override {
        if (!in->ConsumeBool()) return platform::kIOReturnError;
        // The monitor answers with as many bytes as it likes; the bus fills the buffer.
        const auto reply = in->ConsumeBytes<uint8_t>(in->ConsumeIntegralInRange<size_t>(0, 64));
        std::memset(buffer, 0, length);
        if (!reply.empty())
            std::memcpy(buffer, reply.data(), std::min<size_t>(reply.size(), length));
        return platform::kIOReturnSuccess;
    }
};

class NoWait : public platform::Clock {
  public:
    void sleepMicroseconds(uint32_t) override {}
    uint64_t nowMicroseconds() const override { return 0; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    static Bus bus;
    static NoWait clock;
    static platform::Platform platform = [] {
        platform::Platform p;
        p.ioRegistry = &bus;
        p.clock = &clock;
        return p;
    }();
    platform::setCurrent(&platform);
    bus.in = &in;
    const auto monitor = std::make_shared<Monitor>();
    Arm64DDC::DDCSettings settings;
    settings.numOfRetryAttemps = in.ConsumeIntegralInRange<uint8_t>(0, 4);
    settings.numOfWriteCycles = in.ConsumeIntegralInRange<uint8_t>(0, 3);
    const uint8_t code = in.ConsumeIntegral<uint8_t>();
    if (in.ConsumeBool()) {
        if (auto reply = Arm64DDC::read(monitor, code, settings);
            reply && reply->max != 0 && float(reply->current) / float(reply->max) < 0)
            __builtin_trap();
    } else {
        (void)Arm64DDC::write(monitor, code, in.ConsumeIntegral<uint16_t>(), settings);
    }
    return 0;
}
