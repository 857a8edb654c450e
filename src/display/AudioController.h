#pragma once
// The system's sound output devices over CoreAudio's hardware properties.

#include "platform/AudioHardware.h"

#include <optional>
#include <string>
#include <vector>

namespace AudioController {

struct OutputDevice {
    platform::AudioObjectID id = 0;
    std::string name;
    bool operator==(const OutputDevice&) const = default;
};

std::optional<platform::AudioObjectID> getDefaultOutputDevice();
bool setDefaultOutputDevice(platform::AudioObjectID deviceID);
// Every device with at least one output stream, in the system's order.
std::vector<OutputDevice> listOutputDevices();
std::optional<platform::AudioObjectID> getBuiltInSpeakerDeviceID();
float getSystemVolume();
void setSystemVolume(float volume);

// The default output device's property, for the listener.
platform::AudioObjectPropertyAddress defaultOutputDeviceAddress();

} // namespace AudioController
