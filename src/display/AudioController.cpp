#include "display/AudioController.h"

#include "platform/Platform.h"

#include <algorithm>
#include <cmath>

namespace AudioController {

namespace {

using platform::AudioObjectID;
using platform::AudioObjectPropertyAddress;
using platform::fourCharCode;
using platform::kAudioNoErr;

const uint32_t kGlobal = fourCharCode("glob");
const uint32_t kOutput = fourCharCode("outp");

AudioObjectPropertyAddress address(const char (&selector)[5], uint32_t scope) {
    return {fourCharCode(selector), scope, 0};
}

platform::AudioHardware* hardware() {
    return platform::current().audio;
}

std::vector<AudioObjectID> allDevices() {
    auto* hw = hardware();
    if (!hw) return {};
    const auto list = address("dev#", kGlobal);
    uint32_t size = 0;
    if (hw->getPropertyDataSize(platform::kAudioObjectSystemObject, list, &size) != kAudioNoErr)
        return {};
    std::vector<AudioObjectID> ids(size / sizeof(AudioObjectID));
    uint32_t room = uint32_t(ids.size() * sizeof(AudioObjectID));
    if (hw->getPropertyData(platform::kAudioObjectSystemObject, list, &room, ids.data()) !=
        kAudioNoErr)
        return {};
    ids.resize(room / sizeof(AudioObjectID));
    return ids;
}

std::optional<std::optional<std::string>> stringOf(AudioObjectID device, const char (&sel)[5]) {
    std::optional<std::string> value;
    if (hardware()->getStringProperty(device, address(sel, kGlobal), &value) != kAudioNoErr)
        return std::nullopt;
    return value;
}

std::optional<float> volumeOf(AudioObjectID device) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        float volume = 0;
        uint32_t size = sizeof volume;
        if (hardware()->getPropertyData(device, address("volm", kOutput), &size, &volume) ==
                kAudioNoErr &&
            size == sizeof volume && std::isfinite(volume))
            return std::clamp(volume, 0.0f, 1.0f);
    }
    return std::nullopt;
}

void setVolumeOf(AudioObjectID device, float volume) {
    for (int attempt = 0; attempt < 2; ++attempt)
        if (hardware()->setPropertyData(device, address("volm", kOutput), sizeof volume, &volume) ==
            kAudioNoErr)
            return;
}

} // namespace

AudioObjectPropertyAddress defaultOutputDeviceAddress() {
    return address("dOut", kGlobal);
}

std::optional<AudioObjectID> getDefaultOutputDevice() {
    auto* hw = hardware();
    if (!hw) return std::nullopt;
    AudioObjectID device = 0;
    uint32_t size = sizeof device;
    if (hw->getPropertyData(platform::kAudioObjectSystemObject, defaultOutputDeviceAddress(), &size,
                            &device) != kAudioNoErr ||
        size != sizeof device)
        return std::nullopt;
    return device;
}

bool setDefaultOutputDevice(AudioObjectID deviceID) {
    auto* hw = hardware();
    return hw &&
           hw->setPropertyData(platform::kAudioObjectSystemObject, defaultOutputDeviceAddress(),
                               sizeof deviceID, &deviceID) == kAudioNoErr;
}

std::vector<OutputDevice> listOutputDevices() {
    std::vector<OutputDevice> out;
    for (auto id : allDevices()) {
        uint32_t streams = 0;
        if (hardware()->getPropertyDataSize(id, address("stm#", kOutput), &streams) !=
                kAudioNoErr ||
            streams == 0)
            continue;
        auto name = stringOf(id, "lnam");
        if (!name) continue;
        out.push_back({id, name->value_or("")});
    }
    return out;
}

std::optional<AudioObjectID> getBuiltInSpeakerDeviceID() {
    for (auto id : allDevices()) {
        auto name = stringOf(id, "lnam");
        auto maker = stringOf(id, "lmak");
        if (!name || !maker || !*name || !*maker) continue;
        const auto& n = **name;
        if (**maker == "Apple Inc." &&
            (n.find("스피커") != std::string::npos || n.find("Speaker") != std::string::npos ||
             n.find("Built-in") != std::string::npos))
            return id;
    }
    return std::nullopt;
}

float getSystemVolume() {
    if (!hardware()) return 0.5f;
    if (auto device = getDefaultOutputDevice())
        if (auto v = volumeOf(*device)) return *v;
    if (auto speakers = getBuiltInSpeakerDeviceID())
        if (auto v = volumeOf(*speakers)) return *v;
    return 0.5f;
}

void setSystemVolume(float volume) {
    if (!hardware()) return;
    volume = std::isnan(volume) ? 0.0f : std::clamp(volume, 0.0f, 1.0f);
    if (auto device = getDefaultOutputDevice()) setVolumeOf(*device, volume);
    // The built-in speakers follow the slider even when another device is the default.
    if (auto speakers = getBuiltInSpeakerDeviceID()) setVolumeOf(*speakers, volume);
}

} // namespace AudioController
