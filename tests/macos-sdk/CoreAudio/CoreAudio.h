#pragma once
// Core Audio's hardware objects: properties, their addresses and listeners.

#include <CoreFoundation/CoreFoundation.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef float Float32;
typedef UInt32 AudioObjectID;
typedef UInt32 AudioObjectPropertySelector;
typedef UInt32 AudioObjectPropertyScope;
typedef UInt32 AudioObjectPropertyElement;

struct AudioObjectPropertyAddress {
    AudioObjectPropertySelector mSelector;
    AudioObjectPropertyScope mScope;
    AudioObjectPropertyElement mElement;
};
typedef struct AudioObjectPropertyAddress AudioObjectPropertyAddress;

enum { kAudioObjectSystemObject = 1 };
enum { kAudioObjectPropertyElementMain = 0 };
enum {
    kAudioObjectPropertyScopeGlobal = 0x676C6F62, // 'glob'
    kAudioDevicePropertyScopeOutput = 0x6F757470  // 'outp'
};
enum {
    kAudioHardwarePropertyDevices = 0x64657623,                 // 'dev#'
    kAudioHardwarePropertyDefaultOutputDevice = 0x644F7574,     // 'dOut'
    kAudioObjectPropertyName = 0x6C6E616D,                      // 'lnam'
    kAudioObjectPropertyManufacturer = 0x6C6D616B,              // 'lmak'
    kAudioDevicePropertyStreams = 0x73746D23,                   // 'stm#'
    kAudioDevicePropertyTransportType = 0x7472616E,             // 'tran'
    kAudioDevicePropertyVolumeScalar = 0x766F6C6D,              // 'volm'
    kAudioDevicePropertyPreferredChannelsForStereo = 0x64636832 // 'dch2'
};
enum {
    kAudioHardwareNoError = 0,
    kAudioHardwareUnknownPropertyError = 0x77686F3F,  // 'who?'
    kAudioHardwareBadPropertySizeError = 0x2173697A,  // '!siz'
    kAudioHardwareIllegalOperationError = 0x6E6F7065, // 'nope'
    kAudioHardwareBadObjectError = 0x216F626A         // '!obj'
};

typedef OSStatus (*AudioObjectPropertyListenerProc)(AudioObjectID inObjectID,
                                                    UInt32 inNumberAddresses,
                                                    const AudioObjectPropertyAddress* inAddresses,
                                                    void* inClientData);

Boolean AudioObjectHasProperty(AudioObjectID inObjectID,
                               const AudioObjectPropertyAddress* inAddress);
OSStatus AudioObjectIsPropertySettable(AudioObjectID inObjectID,
                                       const AudioObjectPropertyAddress* inAddress,
                                       Boolean* outIsSettable);
OSStatus AudioObjectGetPropertyDataSize(AudioObjectID inObjectID,
                                        const AudioObjectPropertyAddress* inAddress,
                                        UInt32 inQualifierDataSize, const void* inQualifierData,
                                        UInt32* outDataSize);
OSStatus AudioObjectGetPropertyData(AudioObjectID inObjectID,
                                    const AudioObjectPropertyAddress* inAddress,
                                    UInt32 inQualifierDataSize, const void* inQualifierData,
                                    UInt32* ioDataSize, void* outData);
OSStatus AudioObjectSetPropertyData(AudioObjectID inObjectID,
                                    const AudioObjectPropertyAddress* inAddress,
                                    UInt32 inQualifierDataSize, const void* inQualifierData,
                                    UInt32 inDataSize, const void* inData);
OSStatus AudioObjectAddPropertyListener(AudioObjectID inObjectID,
                                        const AudioObjectPropertyAddress* inAddress,
                                        AudioObjectPropertyListenerProc inListener,
                                        void* inClientData);

#ifdef __cplusplus
}
#endif
