#pragma once
// A monitor's DDC/CI port: parses Set/Get VCP Feature frames and answers with reply frames.
// Thread-safe: the DDC queue talks to it while the UI reads it.

#include "platform/IORegistry.h"
#include "platform/sim/MachineDescription.h"

#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

namespace platform {
class Clock;
}

namespace sim {

class SimMonitor {
  public:
    explicit SimMonitor(MonitorDescription description);

    platform::IOReturn writeI2C(uint32_t chipAddress, uint32_t dataAddress, const uint8_t* buffer,
                                uint32_t length);
    platform::IOReturn readI2C(uint32_t chipAddress, uint32_t offset, uint8_t* buffer,
                               uint32_t length);

    std::optional<VcpFeature> vcp(uint8_t code) const;
    // Every VCP value, for keeping the monitor's state between runs.
    std::map<uint8_t, VcpFeature> allVcp() const;
    // Called on the I2C caller's thread after every operation; true when a value changed.
    void setChangeListener(std::function<void(bool valueChanged)> listener) {
        changed_ = std::move(listener);
    }
    void setVcp(uint8_t code, VcpFeature feature);
    void setAnswers(bool answers);
    bool answers() const;
    // Frames acknowledged on the bus that change nothing (a monitor that keeps its value).
    void setDropsWrites(bool drops);
    void setBadChecksums(int count);
    void setStrayReplies(int count);

    // What the monitor saw.
    int writeCount() const;
    int readCount() const;
    int validSetCount() const;                               // well-formed Set VCP frames applied
    std::vector<std::vector<uint8_t>> writes() const;        // every written buffer, oldest first
    std::vector<uint16_t> valuesWritten(uint8_t code) const; // Set VCP values in arrival order
    void resetCounters();
    // Set VCP frames with the moment each arrived (the most recent few thousand).
    struct Frame {
        uint64_t at = 0; // microseconds on the machine's clock
        uint8_t code = 0;
        uint16_t value = 0;
    };
    void setClock(const platform::Clock* clock) { clock_ = clock; }
    std::vector<Frame> frames() const;
    // The most frames that arrived within any one second.
    int framesInBusiestSecond() const;
    // Frames that arrived in the second up to now.
    int framesInLastSecond(uint64_t now) const;
    std::optional<uint64_t> lastFrameAt() const;
    // How long after the moment asked the first frame carrying value for code arrived.
    std::optional<uint64_t> arrivalAfter(uint64_t asked, uint8_t code, uint16_t value) const;
    uint32_t writeMicros() const;
    uint32_t readMicros() const;

  private:
    platform::IOReturn write(uint32_t chipAddress, uint32_t dataAddress, const uint8_t* buffer,
                             uint32_t length, bool& changed);
    platform::IOReturn read(uint32_t chipAddress, uint32_t offset, uint8_t* buffer,
                            uint32_t length);

    std::function<void(bool)> changed_;
    const platform::Clock* clock_ = nullptr;
    std::vector<Frame> frames_;
    mutable std::mutex mutex_;
    MonitorDescription d_;
    std::optional<uint8_t> pendingRead_;
    int writes_ = 0, reads_ = 0, validSets_ = 0;
    std::vector<std::vector<uint8_t>> log_;
    std::vector<std::pair<uint8_t, uint16_t>> sets_;
};

} // namespace sim
