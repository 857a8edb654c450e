#include "platform/sim/SimMonitor.h"

#include "platform/Clock.h"

#include <algorithm>

namespace sim {

namespace {
constexpr uint32_t kChip = 0x37;
constexpr uint32_t kHostAddress = 0x51;

uint8_t xorAll(uint8_t seed, const uint8_t* bytes, size_t count) {
    for (size_t i = 0; i < count; ++i)
        seed ^= bytes[i];
    return seed;
}
} // namespace

SimMonitor::SimMonitor(MonitorDescription description) : d_(std::move(description)) {}

platform::IOReturn SimMonitor::writeI2C(uint32_t chipAddress, uint32_t dataAddress,
                                        const uint8_t* buffer, uint32_t length) {
    bool changed = false;
    auto result = write(chipAddress, dataAddress, buffer, length, changed);
    // Told outside the lock: the listener may read the monitor.
    if (changed_) changed_(changed);
    return result;
}

platform::IOReturn SimMonitor::write(uint32_t chipAddress, uint32_t dataAddress,
                                     const uint8_t* buffer, uint32_t length, bool& changed) {
    std::lock_guard lock(mutex_);
    ++writes_;
    if (log_.size() >= 8192)
        log_.erase(log_.begin(), log_.begin() + 4096); // a long run stays small
    log_.emplace_back(buffer, buffer + length);
    if (!d_.answers) return platform::kIOReturnNotResponding;
    if (chipAddress != kChip || dataAddress != kHostAddress || length < 3)
        return platform::kIOReturnError;
    // Frame: 0x80|(n+1), n, payload..., checksum over the host address and every byte.
    uint8_t n = buffer[1];
    if (buffer[0] != (0x80 | (n + 1)) || length != uint32_t(n) + 3)
        return platform::kIOReturnSuccess;
    uint8_t seed = n == 1 ? 0x6E : (0x6E ^ 0x51);
    if (xorAll(seed, buffer, length - 1) != buffer[length - 1]) return platform::kIOReturnSuccess;
    const uint8_t* payload = buffer + 2;
    if (n == 3) {
        uint8_t code = payload[0];
        uint16_t value = uint16_t(payload[1] << 8 | payload[2]);
        if (sets_.size() >= 8192) sets_.erase(sets_.begin(), sets_.begin() + 4096);
        sets_.emplace_back(code, value);
        ++validSets_;
        constexpr size_t kFramesKept = 4096;
        if (frames_.size() >= kFramesKept)
            frames_.erase(frames_.begin(), frames_.begin() + kFramesKept / 2);
        frames_.push_back({clock_ ? clock_->nowMicroseconds() : 0, code, value});
        if (!d_.dropsWrites) {
            auto& f = d_.vcp[code];
            changed = f.current != value;
            f.current = value;
            if (f.maximum == 0 && !d_.vcp.count(code)) f.maximum = 100;
        }
    } else if (n == 1) {
        pendingRead_ = payload[0];
    }
    return platform::kIOReturnSuccess;
}

platform::IOReturn SimMonitor::readI2C(uint32_t chipAddress, uint32_t offset, uint8_t* buffer,
                                       uint32_t length) {
    auto result = read(chipAddress, offset, buffer, length);
    if (changed_) changed_(false);
    return result;
}

platform::IOReturn SimMonitor::read(uint32_t chipAddress, uint32_t offset, uint8_t* buffer,
                                    uint32_t length) {
    std::lock_guard lock(mutex_);
    ++reads_;
    if (!d_.answers) return platform::kIOReturnNotResponding;
    if (chipAddress != kChip || offset != 0 || !pendingRead_) return platform::kIOReturnError;
    uint8_t code = *pendingRead_;
    auto it = d_.vcp.find(code);
    uint8_t reply[11] = {0x6E, 0x88, 0x02, uint8_t(it == d_.vcp.end() ? 1 : 0), code, 0x00};
    if (it != d_.vcp.end()) {
        reply[6] = uint8_t(it->second.maximum >> 8);
        reply[7] = uint8_t(it->second.maximum & 0xFF);
        reply[8] = uint8_t(it->second.current >> 8);
        reply[9] = uint8_t(it->second.current & 0xFF);
    }
    if (d_.strayReplies > 0) {
        switch (d_.strayReplies-- % 3) {
        case 0:
            reply[2] = 0x07;
            break; // not a VCP reply (a timing report)
        case 1:
            reply[3] = 0x01;
            break; // "unsupported VCP code"
        default:
            reply[4] = uint8_t(code + 1);
            break; // about another code
        }
    }
    reply[10] = xorAll(0x50, reply, 10);
    if (d_.badChecksums > 0) {
        --d_.badChecksums;
        reply[10] ^= 0xFF;
    }
    for (uint32_t i = 0; i < length; ++i)
        buffer[i] = i < 11 ? reply[i] : 0;
    return platform::kIOReturnSuccess;
}

std::optional<VcpFeature> SimMonitor::vcp(uint8_t code) const {
    std::lock_guard lock(mutex_);
    auto it = d_.vcp.find(code);
    if (it == d_.vcp.end()) return std::nullopt;
    return it->second;
}

std::map<uint8_t, VcpFeature> SimMonitor::allVcp() const {
    std::lock_guard lock(mutex_);
    return d_.vcp;
}

void SimMonitor::setVcp(uint8_t code, VcpFeature feature) {
    std::lock_guard lock(mutex_);
    d_.vcp[code] = feature;
}

void SimMonitor::setAnswers(bool answers) {
    std::lock_guard lock(mutex_);
    d_.answers = answers;
}

void SimMonitor::setDropsWrites(bool drops) {
    std::lock_guard lock(mutex_);
    d_.dropsWrites = drops;
}

bool SimMonitor::answers() const {
    std::lock_guard lock(mutex_);
    return d_.answers;
}

void SimMonitor::setStrayReplies(int count) {
    std::lock_guard lock(mutex_);
    d_.strayReplies = count;
}

void SimMonitor::setBadChecksums(int count) {
    std::lock_guard lock(mutex_);
    d_.badChecksums = count;
}

int SimMonitor::writeCount() const {
    std::lock_guard lock(mutex_);
    return writes_;
}

int SimMonitor::readCount() const {
    std::lock_guard lock(mutex_);
    return reads_;
}

int SimMonitor::validSetCount() const {
    std::lock_guard lock(mutex_);
    return validSets_;
}

std::vector<std::vector<uint8_t>> SimMonitor::writes() const {
    std::lock_guard lock(mutex_);
    return log_;
}

std::vector<uint16_t> SimMonitor::valuesWritten(uint8_t code) const {
    std::lock_guard lock(mutex_);
    std::vector<uint16_t> out;
    for (const auto& [c, v] : sets_)
        if (c == code) out.push_back(v);
    return out;
}

std::vector<SimMonitor::Frame> SimMonitor::frames() const {
    std::lock_guard lock(mutex_);
    return frames_;
}

int SimMonitor::framesInBusiestSecond() const {
    std::lock_guard lock(mutex_);
    size_t busiest = 0, first = 0;
    for (size_t i = 0; i < frames_.size(); ++i) {
        while (frames_[i].at - frames_[first].at >= 1'000'000)
            ++first;
        busiest = std::max(busiest, i - first + 1);
    }
    return int(busiest);
}

int SimMonitor::framesInLastSecond(uint64_t now) const {
    std::lock_guard lock(mutex_);
    int n = 0;
    for (auto it = frames_.rbegin(); it != frames_.rend() && it->at + 1'000'000 > now; ++it)
        ++n;
    return n;
}

std::optional<uint64_t> SimMonitor::lastFrameAt() const {
    std::lock_guard lock(mutex_);
    if (frames_.empty()) return std::nullopt;
    return frames_.back().at;
}

std::optional<uint64_t> SimMonitor::arrivalAfter(uint64_t asked, uint8_t code,
                                                 uint16_t value) const {
    std::lock_guard lock(mutex_);
    for (const auto& f : frames_)
        if (f.at >= asked && f.code == code && f.value == value) return f.at - asked;
    return std::nullopt;
}

void SimMonitor::resetCounters() {
    std::lock_guard lock(mutex_);
    frames_.clear();
    writes_ = reads_ = validSets_ = 0;
    log_.clear();
    sets_.clear();
}

uint32_t SimMonitor::writeMicros() const {
    return d_.writeMicros;
}
uint32_t SimMonitor::readMicros() const {
    return d_.readMicros;
}

} // namespace sim
