#include "platform/sim/SimAudio.h"

#include <cstring>
#include <utility>

namespace sim {

using platform::fourCharCode;
using platform::kAudioNoErr;

namespace {

const uint32_t kDevices = fourCharCode("dev#");
const uint32_t kDefaultOutput = fourCharCode("dOut");
const uint32_t kStreams = fourCharCode("stm#");
const uint32_t kName = fourCharCode("lnam");
const uint32_t kMaker = fourCharCode("lmak");
const uint32_t kVolume = fourCharCode("volm");
const uint32_t kOutputScope = fourCharCode("outp");
const uint32_t kInputScope = fourCharCode("inpt");

} // namespace

std::vector<AudioDeviceDescription> defaultAudioDevices(const MachineDescription& machine) {
    std::vector<AudioDeviceDescription> out;
    out.push_back({40, "MacBook Pro 스피커", "Apple Inc.", "built-in", 1, 0, true, 0.5f, {}});
    out.push_back({41, "MacBook Pro 마이크", "Apple Inc.", "built-in", 0, 1, true, 0.7f, {}});
    uint32_t next = 50;
    for (const auto& d : machine.displays) {
        if (d.builtIn || !d.monitor) continue;
        const bool tv = d.screenName.find("TV") != std::string::npos;
        AudioDeviceDescription a{next++, d.screenName, "Generic", tv ? "hdmi" : "displayport", 1, 0,
                                 !tv,    0.5f,         d.id};
        out.push_back(a);
    }
    out.push_back({60, "USB Headset", "Generic", "usb", 1, 1, true, 0.4f, {}});
    return out;
}

SimAudio::SimAudio(MachineDescription& machine, std::function<void()> changed)
    : machine_(machine), changed_(std::move(changed)) {
    if (!machine_.audioDevicesGiven) {
        machine_.audioDevices = defaultAudioDevices(machine_);
        if (machine_.defaultOutput == 0) machine_.defaultOutput = 40;
    }
}

std::vector<AudioDeviceDescription> SimAudio::devices() const {
    std::lock_guard lock(mutex_);
    std::vector<AudioDeviceDescription> out;
    for (const auto& a : machine_.audioDevices) {
        if (a.display) {
            bool online = false;
            for (const auto& d : machine_.displays)
                online |= d.id == *a.display && d.online;
            if (!online) continue;
        }
        out.push_back(a);
    }
    return out;
}

uint32_t SimAudio::defaultOutput() const {
    std::lock_guard lock(mutex_);
    for (const auto& a : devices())
        if (a.id == machine_.defaultOutput) return a.id;
    return 0;
}

const AudioDeviceDescription* SimAudio::device(platform::AudioObjectID id) const {
    for (const auto& a : machine_.audioDevices)
        if (a.id == id) {
            for (const auto& listed : devices())
                if (listed.id == id) return &a;
            return nullptr;
        }
    return nullptr;
}

AudioDeviceDescription* SimAudio::device(platform::AudioObjectID id) {
    return const_cast<AudioDeviceDescription*>(std::as_const(*this).device(id));
}

platform::OSStatus SimAudio::getPropertyDataSize(platform::AudioObjectID object,
                                                 const platform::AudioObjectPropertyAddress& a,
                                                 uint32_t* size) {
    std::lock_guard lock(mutex_);
    if (object == platform::kAudioObjectSystemObject) {
        if (a.selector == kDevices) {
            *size = uint32_t(devices().size() * sizeof(uint32_t));
            return kAudioNoErr;
        }
        if (a.selector == kDefaultOutput) {
            *size = sizeof(uint32_t);
            return kAudioNoErr;
        }
        return platform::kAudioHardwareUnknownPropertyError;
    }
    auto* d = device(object);
    if (!d) return platform::kAudioHardwareBadObjectError;
    if (a.selector == kStreams) {
        const int streams = a.scope == kOutputScope  ? d->outputStreams
                            : a.scope == kInputScope ? d->inputStreams
                                                     : d->outputStreams + d->inputStreams;
        *size = uint32_t(streams) * sizeof(uint32_t);
        return kAudioNoErr;
    }
    if (a.selector == kVolume && d->hasVolume) {
        *size = sizeof(float);
        return kAudioNoErr;
    }
    return platform::kAudioHardwareUnknownPropertyError;
}

platform::OSStatus SimAudio::getPropertyData(platform::AudioObjectID object,
                                             const platform::AudioObjectPropertyAddress& a,
                                             uint32_t* ioSize, void* data) {
    std::lock_guard lock(mutex_);
    if (object == platform::kAudioObjectSystemObject && a.selector == kDevices) {
        std::vector<uint32_t> ids;
        for (const auto& d : devices())
            ids.push_back(d.id);
        const uint32_t bytes = std::min<uint32_t>(*ioSize, uint32_t(ids.size() * 4)) / 4 * 4;
        std::memcpy(data, ids.data(), bytes);
        *ioSize = bytes;
        return kAudioNoErr;
    }
    if (object == platform::kAudioObjectSystemObject && a.selector == kDefaultOutput) {
        const uint32_t id = defaultOutput();
        if (id == 0 || *ioSize < sizeof id) return platform::kAudioHardwareUnknownPropertyError;
        std::memcpy(data, &id, sizeof id);
        *ioSize = sizeof id;
        return kAudioNoErr;
    }
    auto* d = device(object);
    if (!d) return platform::kAudioHardwareBadObjectError;
    if (a.selector == kVolume && a.scope == kOutputScope && d->hasVolume && d->outputStreams > 0 &&
        *ioSize >= sizeof(float)) {
        std::memcpy(data, &d->volume, sizeof(float));
        *ioSize = sizeof(float);
        return kAudioNoErr;
    }
    return platform::kAudioHardwareUnknownPropertyError;
}

platform::OSStatus SimAudio::getStringProperty(platform::AudioObjectID object,
                                               const platform::AudioObjectPropertyAddress& a,
                                               std::optional<std::string>* value) {
    std::lock_guard lock(mutex_);
    auto* d = device(object);
    if (!d) return platform::kAudioHardwareBadObjectError;
    if (a.selector == kName)
        *value = d->name;
    else if (a.selector == kMaker)
        *value = d->manufacturer;
    else
        return platform::kAudioHardwareUnknownPropertyError;
    return kAudioNoErr;
}

platform::OSStatus SimAudio::setPropertyData(platform::AudioObjectID object,
                                             const platform::AudioObjectPropertyAddress& a,
                                             uint32_t size, const void* data) {
    {
        std::lock_guard lock(mutex_);
        if (object == platform::kAudioObjectSystemObject && a.selector == kDefaultOutput) {
            uint32_t id = 0;
            if (size != sizeof id) return platform::kAudioHardwareUnknownPropertyError;
            std::memcpy(&id, data, sizeof id);
            auto* d = device(id);
            if (!d || d->outputStreams == 0) return platform::kAudioHardwareBadObjectError;
        } else {
            auto* d = device(object);
            if (!d) return platform::kAudioHardwareBadObjectError;
            if (a.selector != kVolume || !d->hasVolume || size != sizeof(float))
                return platform::kAudioHardwareUnknownPropertyError;
            float v = 0;
            std::memcpy(&v, data, sizeof v);
            if (!(v >= 0 && v <= 1)) return platform::kAudioHardwareUnknownPropertyError;
            d->volume = v;
            if (changed_) changed_();
            return kAudioNoErr;
        }
    }
    uint32_t id = 0;
    std::memcpy(&id, data, sizeof id);
    setDefault(id);
    return kAudioNoErr;
}

void SimAudio::setDefault(uint32_t id) {
    std::vector<std::function<platform::OSStatus()>> listeners;
    {
        std::lock_guard lock(mutex_);
        if (machine_.defaultOutput == id) return;
        machine_.defaultOutput = id;
        listeners = defaultListeners_;
    }
    for (auto& l : listeners)
        l();
    if (changed_) changed_();
}

platform::OSStatus SimAudio::addPropertyListener(platform::AudioObjectID object,
                                                 const platform::AudioObjectPropertyAddress& a,
                                                 std::function<platform::OSStatus()> listener) {
    std::lock_guard lock(mutex_);
    if (object != platform::kAudioObjectSystemObject || a.selector != kDefaultOutput)
        return platform::kAudioHardwareUnknownPropertyError;
    defaultListeners_.push_back(std::move(listener));
    return kAudioNoErr;
}

bool SimAudio::setDefaultOutputByName(const std::string& name) {
    for (const auto& d : devices())
        if (d.name == name && d.outputStreams > 0) {
            setDefault(d.id);
            return true;
        }
    return false;
}

void SimAudio::displaysChanged() {
    // A monitor's audio that left while it was the default hands over to the speakers.
    uint32_t fallback = 0;
    {
        std::lock_guard lock(mutex_);
        if (machine_.defaultOutput != 0 && defaultOutput() == 0)
            for (const auto& d : devices())
                if (d.outputStreams > 0 && d.transport == "built-in") {
                    fallback = d.id;
                    break;
                }
    }
    if (fallback) setDefault(fallback);
}

} // namespace sim
