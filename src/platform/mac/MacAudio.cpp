// Core Audio's devices and properties. Every read is checked against the room the caller gave
// and, for plain values, against their size. A device's volume is its virtual main volume where
// Audio Toolbox offers one, else its main volume control, else its stereo channels' controls.

#include "platform/mac/CFValues.h"
#include "platform/mac/MacServices.h"

#include <AudioToolbox/AudioToolbox.h>
#include <CoreAudio/CoreAudio.h>

#include <cstring>
#include <functional>
#include <memory>
#include <vector>

namespace mac {

namespace {

AudioObjectPropertyAddress native(const platform::AudioObjectPropertyAddress& a) {
    return {a.selector, a.scope, a.element};
}

// The size of the plain values the program reads; 0 for lists and everything else.
UInt32 plainSize(AudioObjectPropertySelector selector) {
    switch (selector) {
    case kAudioHardwarePropertyDefaultOutputDevice:
    case kAudioDevicePropertyTransportType:
        return sizeof(UInt32);
    case kAudioDevicePropertyVolumeScalar:
        return sizeof(Float32);
    default:
        return 0;
    }
}
bool isIDList(AudioObjectPropertySelector selector) {
    return selector == kAudioHardwarePropertyDevices || selector == kAudioDevicePropertyStreams;
}

bool isMainVolume(const AudioObjectPropertyAddress& a) {
    return a.mSelector == kAudioDevicePropertyVolumeScalar &&
           a.mScope == kAudioDevicePropertyScopeOutput &&
           a.mElement == kAudioObjectPropertyElementMain;
}

AudioObjectPropertyAddress virtualMainVolume() {
    return {kAudioHardwareServiceDeviceProperty_VirtualMainVolume, kAudioDevicePropertyScopeOutput,
            kAudioObjectPropertyElementMain};
}
AudioObjectPropertyAddress channelVolume(UInt32 channel) {
    return {kAudioDevicePropertyVolumeScalar, kAudioDevicePropertyScopeOutput, channel};
}

// The device's left and right channels, 1 and 2 when it does not say.
std::vector<UInt32> stereoChannels(AudioObjectID device) {
    const AudioObjectPropertyAddress preferred{kAudioDevicePropertyPreferredChannelsForStereo,
                                               kAudioDevicePropertyScopeOutput,
                                               kAudioObjectPropertyElementMain};
    UInt32 channels[2] = {0, 0};
    UInt32 size = sizeof channels;
    if (AudioObjectGetPropertyData(device, &preferred, 0, nullptr, &size, channels) ==
            kAudioHardwareNoError &&
        size == sizeof channels && channels[0] > 0 && channels[1] > 0)
        return {channels[0], channels[1]};
    return {1, 2};
}

class MacAudio : public platform::AudioHardware {
  public:
    platform::OSStatus getPropertyDataSize(platform::AudioObjectID object,
                                           const platform::AudioObjectPropertyAddress& address,
                                           uint32_t* size) override {
        if (!size) return kAudioHardwareIllegalOperationError;
        const auto a = native(address);
        if (isMainVolume(a)) {
            Float32 ignored = 0;
            const OSStatus status = readVolume(object, ignored);
            *size = status == kAudioHardwareNoError ? sizeof(Float32) : 0;
            return status;
        }
        UInt32 out = 0;
        const OSStatus status = AudioObjectGetPropertyDataSize(object, &a, 0, nullptr, &out);
        *size = status == kAudioHardwareNoError ? out : 0;
        return status;
    }

    platform::OSStatus getPropertyData(platform::AudioObjectID object,
                                       const platform::AudioObjectPropertyAddress& address,
                                       uint32_t* ioSize, void* data) override {
        if (!ioSize || !data) return kAudioHardwareIllegalOperationError;
        const UInt32 room = *ioSize;
        *ioSize = 0;
        const auto a = native(address);
        const UInt32 plain = plainSize(a.mSelector);
        if (plain && room < plain) return kAudioHardwareBadPropertySizeError;
        if (isMainVolume(a)) {
            Float32 volume = 0;
            const OSStatus status = readVolume(object, volume);
            if (status != kAudioHardwareNoError) return status;
            std::memcpy(data, &volume, sizeof volume);
            *ioSize = sizeof volume;
            return kAudioHardwareNoError;
        }
        UInt32 size = room;
        const OSStatus status = AudioObjectGetPropertyData(object, &a, 0, nullptr, &size, data);
        if (status != kAudioHardwareNoError) return status;
        // Never more than the room, a plain value whole, a list of whole IDs.
        if (size > room || (plain && size != plain) || (isIDList(a.mSelector) && size % 4 != 0))
            return kAudioHardwareBadPropertySizeError;
        *ioSize = size;
        return kAudioHardwareNoError;
    }

    platform::OSStatus getStringProperty(platform::AudioObjectID object,
                                         const platform::AudioObjectPropertyAddress& address,
                                         std::optional<std::string>* value) override {
        if (value) value->reset();
        const auto a = native(address);
        CFStringRef text = nullptr;
        UInt32 size = sizeof text;
        const OSStatus status = AudioObjectGetPropertyData(object, &a, 0, nullptr, &size, &text);
        if (status != kAudioHardwareNoError) return status;
        // Anything but a whole reference is no string to release.
        if (size != sizeof text) return kAudioHardwareBadPropertySizeError;
        CFRef<CFStringRef> owned(text); // the caller's to release
        if (value && text && CFGetTypeID(text) == CFStringGetTypeID()) *value = toString(text);
        return kAudioHardwareNoError;
    }

    platform::OSStatus setPropertyData(platform::AudioObjectID object,
                                       const platform::AudioObjectPropertyAddress& address,
                                       uint32_t size, const void* data) override {
        const auto a = native(address);
        const UInt32 plain = plainSize(a.mSelector);
        if (!data || (plain && size != plain)) return kAudioHardwareBadPropertySizeError;
        if (isMainVolume(a)) {
            Float32 volume = 0;
            std::memcpy(&volume, data, sizeof volume);
            return writeVolume(object, volume);
        }
        return AudioObjectSetPropertyData(object, &a, 0, nullptr, size, data);
    }

    platform::OSStatus addPropertyListener(platform::AudioObjectID object,
                                           const platform::AudioObjectPropertyAddress& address,
                                           std::function<platform::OSStatus()> listener) override {
        auto kept = std::make_unique<std::function<platform::OSStatus()>>(std::move(listener));
        const auto a = native(address);
        const OSStatus status =
            AudioObjectAddPropertyListener(object, &a, &MacAudio::changed, kept.get());
        // Listeners stay for the whole run, as the program never removes them.
        if (status == kAudioHardwareNoError) listeners_.push_back(std::move(kept));
        return status;
    }

  private:
    static OSStatus changed(AudioObjectID, UInt32, const AudioObjectPropertyAddress*,
                            void* listener) {
        return (*static_cast<std::function<platform::OSStatus()>*>(listener))();
    }

    static OSStatus readFloat(OSStatus (*get)(AudioObjectID, const AudioObjectPropertyAddress*,
                                              UInt32, const void*, UInt32*, void*),
                              AudioObjectID device, const AudioObjectPropertyAddress& a,
                              Float32& out) {
        Float32 v = 0;
        UInt32 size = sizeof v;
        const OSStatus status = get(device, &a, 0, nullptr, &size, &v);
        if (status != kAudioHardwareNoError) return status;
        if (size != sizeof v) return kAudioHardwareBadPropertySizeError;
        out = v;
        return kAudioHardwareNoError;
    }

    static OSStatus readVolume(AudioObjectID device, Float32& out) {
        const auto virtualMain = virtualMainVolume();
        if (AudioHardwareServiceHasProperty(device, &virtualMain))
            return readFloat(&AudioHardwareServiceGetPropertyData, device, virtualMain, out);
        const auto mainControl = channelVolume(kAudioObjectPropertyElementMain);
        if (AudioObjectHasProperty(device, &mainControl))
            return readFloat(&AudioObjectGetPropertyData, device, mainControl, out);
        // The channels' average, as the system's own volume shows it.
        Float32 sum = 0;
        int read = 0;
        OSStatus last = kAudioHardwareUnknownPropertyError;
        for (UInt32 channel : stereoChannels(device)) {
            const auto a = channelVolume(channel);
            if (!AudioObjectHasProperty(device, &a)) continue;
            Float32 v = 0;
            last = readFloat(&AudioObjectGetPropertyData, device, a, v);
            if (last != kAudioHardwareNoError) continue;
            sum += v;
            ++read;
        }
        if (read == 0) return last;
        out = sum / Float32(read);
        return kAudioHardwareNoError;
    }

    static OSStatus writeVolume(AudioObjectID device, Float32 volume) {
        Boolean settable = false;
        const auto virtualMain = virtualMainVolume();
        if (AudioHardwareServiceHasProperty(device, &virtualMain) &&
            AudioHardwareServiceIsPropertySettable(device, &virtualMain, &settable) ==
                kAudioHardwareNoError &&
            settable)
            return AudioHardwareServiceSetPropertyData(device, &virtualMain, 0, nullptr,
                                                       sizeof volume, &volume);
        const auto mainControl = channelVolume(kAudioObjectPropertyElementMain);
        if (AudioObjectHasProperty(device, &mainControl) &&
            AudioObjectIsPropertySettable(device, &mainControl, &settable) ==
                kAudioHardwareNoError &&
            settable)
            return AudioObjectSetPropertyData(device, &mainControl, 0, nullptr, sizeof volume,
                                              &volume);
        OSStatus result = kAudioHardwareUnknownPropertyError;
        bool anySet = false;
        for (UInt32 channel : stereoChannels(device)) {
            const auto a = channelVolume(channel);
            settable = false;
            if (!AudioObjectHasProperty(device, &a) ||
                AudioObjectIsPropertySettable(device, &a, &settable) != kAudioHardwareNoError ||
                !settable)
                continue;
            const OSStatus status =
                AudioObjectSetPropertyData(device, &a, 0, nullptr, sizeof volume, &volume);
            if (status == kAudioHardwareNoError)
                anySet = true;
            else
                result = status;
        }
        return anySet ? OSStatus(kAudioHardwareNoError) : result;
    }

    std::vector<std::unique_ptr<std::function<platform::OSStatus()>>> listeners_;
};

} // namespace

std::unique_ptr<platform::AudioHardware> makeAudio() {
    return std::make_unique<MacAudio>();
}

} // namespace mac
