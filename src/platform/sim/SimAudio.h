#pragma once
// The virtual Mac's sound devices: CoreAudio's hardware properties over the machine's list.

#include "platform/AudioHardware.h"
#include "platform/sim/MachineDescription.h"

#include <functional>
#include <mutex>
#include <vector>

namespace platform {
class RunLoop;
}

namespace sim {

class SimAudio : public platform::AudioHardware {
  public:
    SimAudio(MachineDescription& machine, std::function<void()> changed);

    platform::OSStatus getPropertyDataSize(platform::AudioObjectID object,
                                           const platform::AudioObjectPropertyAddress& address,
                                           uint32_t* size) override;
    platform::OSStatus getPropertyData(platform::AudioObjectID object,
                                       const platform::AudioObjectPropertyAddress& address,
                                       uint32_t* ioSize, void* data) override;
    platform::OSStatus getStringProperty(platform::AudioObjectID object,
                                         const platform::AudioObjectPropertyAddress& address,
                                         std::optional<std::string>* value) override;
    platform::OSStatus setPropertyData(platform::AudioObjectID object,
                                       const platform::AudioObjectPropertyAddress& address,
                                       uint32_t size, const void* data) override;
    platform::OSStatus addPropertyListener(platform::AudioObjectID object,
                                           const platform::AudioObjectPropertyAddress& address,
                                           std::function<platform::OSStatus()> listener) override;

    // The devices the system lists now (a monitor's only while its display is online).
    std::vector<AudioDeviceDescription> devices() const;
    uint32_t defaultOutput() const;
    // The default output changed elsewhere (System Settings, a headset plugged in); false when
    // no listed output device has that name.
    bool setDefaultOutputByName(const std::string& name);
    // A display came or went: its audio device with it.
    void displaysChanged();

  private:
    const AudioDeviceDescription* device(platform::AudioObjectID id) const;
    AudioDeviceDescription* device(platform::AudioObjectID id);
    void setDefault(uint32_t id);

    MachineDescription& machine_;
    std::function<void()> changed_;
    mutable std::recursive_mutex mutex_;
    std::vector<std::function<platform::OSStatus()>> defaultListeners_;
};

// What a machine without an audio list has: the laptop's speakers and microphone, each
// monitor's own audio named after it (a TV's without a volume control) and a USB headset.
std::vector<AudioDeviceDescription> defaultAudioDevices(const MachineDescription& machine);

} // namespace sim
