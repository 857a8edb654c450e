#pragma once
// Audio Toolbox's hardware service: the virtual main volume, which drives a device's main
// volume control or, where it has none, its channels' controls together.

#include <CoreAudio/CoreAudio.h>

#ifdef __cplusplus
extern "C" {
#endif

enum { kAudioHardwareServiceDeviceProperty_VirtualMainVolume = 0x766D7663 }; // 'vmvc'

Boolean AudioHardwareServiceHasProperty(AudioObjectID inObjectID,
                                        const AudioObjectPropertyAddress* inAddress);
OSStatus AudioHardwareServiceIsPropertySettable(AudioObjectID inObjectID,
                                                const AudioObjectPropertyAddress* inAddress,
                                                Boolean* outIsSettable);
OSStatus AudioHardwareServiceGetPropertyData(AudioObjectID inObjectID,
                                             const AudioObjectPropertyAddress* inAddress,
                                             UInt32 inQualifierDataSize,
                                             const void* inQualifierData, UInt32* ioDataSize,
                                             void* outData);
OSStatus AudioHardwareServiceSetPropertyData(AudioObjectID inObjectID,
                                             const AudioObjectPropertyAddress* inAddress,
                                             UInt32 inQualifierDataSize,
                                             const void* inQualifierData, UInt32 inDataSize,
                                             const void* inData);

#ifdef __cplusplus
}
#endif
