#pragma once
// Core Audio's objects and Audio Toolbox's virtual main volume in memory, for the backend's
// adapters where there is no Mac.

#include <AudioToolbox/AudioToolbox.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace fakeaudio {

using Address = std::tuple<UInt32, UInt32, UInt32>; // selector, scope, element

struct Object {
    std::map<Address, std::vector<uint8_t>> data;
    std::map<Address, std::string> strings; // CFString properties, a new copy on each read
    std::map<Address, bool> settable;
    bool virtualMainVolume = false; // Audio Toolbox offers one for this device
    float virtualVolume = 0;
};

std::map<AudioObjectID, Object>& objects();
void reset();
void setFloat(AudioObjectID object, Address address, float value, bool settable = true);
float getFloat(AudioObjectID object, Address address);
void setUInt32s(AudioObjectID object, Address address, std::vector<UInt32> values);
// Calls the listeners of that property, as the system would on a change.
int fire(AudioObjectID object, Address address);

} // namespace fakeaudio
