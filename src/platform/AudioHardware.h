#pragma once
// CoreAudio's hardware properties: objects, property addresses, status codes and listeners.

#include "platform/CarbonTypes.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace platform {

using AudioObjectID = uint32_t;
constexpr AudioObjectID kAudioObjectSystemObject = 1;
constexpr OSStatus kAudioNoErr = 0;
constexpr OSStatus kAudioHardwareUnknownPropertyError = 0x77686f3f; // 'who?'
constexpr OSStatus kAudioHardwareBadObjectError = 0x216f626a;       // '!obj'

struct AudioObjectPropertyAddress {
    uint32_t selector = 0;
    uint32_t scope = 0;
    uint32_t element = 0; // 0: the main element
    bool operator==(const AudioObjectPropertyAddress&) const = default;
};

class AudioHardware {
  public:
    virtual ~AudioHardware() = default;
    virtual OSStatus getPropertyDataSize(AudioObjectID object,
                                         const AudioObjectPropertyAddress& address,
                                         uint32_t* size) = 0;
    // Plain data: UInt32 device IDs, a Float32 volume. ioSize holds the room and gets the size.
    virtual OSStatus getPropertyData(AudioObjectID object,
                                     const AudioObjectPropertyAddress& address, uint32_t* ioSize,
                                     void* data) = 0;
    // A CFString property; absent when the property holds no string.
    virtual OSStatus getStringProperty(AudioObjectID object,
                                       const AudioObjectPropertyAddress& address,
                                       std::optional<std::string>* value) = 0;
    virtual OSStatus setPropertyData(AudioObjectID object,
                                     const AudioObjectPropertyAddress& address, uint32_t size,
                                     const void* data) = 0;
    // The listener may be called on another thread.
    virtual OSStatus addPropertyListener(AudioObjectID object,
                                         const AudioObjectPropertyAddress& address,
                                         std::function<OSStatus()> listener) = 0;
};

} // namespace platform
