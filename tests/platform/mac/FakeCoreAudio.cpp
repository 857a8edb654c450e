#include "FakeCoreAudio.h"

#include <cstring>

namespace {

std::map<AudioObjectID, fakeaudio::Object> all;
std::vector<std::tuple<AudioObjectID, fakeaudio::Address, AudioObjectPropertyListenerProc, void*>>
    listeners;

fakeaudio::Address key(const AudioObjectPropertyAddress* a) {
    return {a->mSelector, a->mScope, a->mElement};
}
fakeaudio::Object* find(AudioObjectID id) {
    auto found = all.find(id);
    return found == all.end() ? nullptr : &found->second;
}
bool isVirtualMain(const AudioObjectPropertyAddress* a) {
    return a->mSelector == kAudioHardwareServiceDeviceProperty_VirtualMainVolume;
}

} // namespace

extern "C" {

Boolean AudioObjectHasProperty(AudioObjectID id, const AudioObjectPropertyAddress* a) {
    auto* o = find(id);
    return o && (o->data.count(key(a)) || o->strings.count(key(a)));
}
OSStatus AudioObjectIsPropertySettable(AudioObjectID id, const AudioObjectPropertyAddress* a,
                                       Boolean* out) {
    auto* o = find(id);
    if (!o || !AudioObjectHasProperty(id, a)) return kAudioHardwareUnknownPropertyError;
    *out = o->settable[key(a)];
    return kAudioHardwareNoError;
}
OSStatus AudioObjectGetPropertyDataSize(AudioObjectID id, const AudioObjectPropertyAddress* a,
                                        UInt32, const void*, UInt32* size) {
    auto* o = find(id);
    if (!o) return kAudioHardwareBadObjectError;
    if (o->strings.count(key(a))) {
        *size = sizeof(CFStringRef);
        return kAudioHardwareNoError;
    }
    auto found = o->data.find(key(a));
    if (found == o->data.end()) return kAudioHardwareUnknownPropertyError;
    *size = UInt32(found->second.size());
    return kAudioHardwareNoError;
}
OSStatus AudioObjectGetPropertyData(AudioObjectID id, const AudioObjectPropertyAddress* a, UInt32,
                                    const void*, UInt32* ioSize, void* out) {
    auto* o = find(id);
    if (!o) return kAudioHardwareBadObjectError;
    if (auto s = o->strings.find(key(a)); s != o->strings.end()) {
        if (*ioSize < sizeof(CFStringRef)) return kAudioHardwareBadPropertySizeError;
        CFStringRef copy =
            CFStringCreateWithCString(nullptr, s->second.c_str(), kCFStringEncodingUTF8);
        std::memcpy(out, &copy, sizeof copy);
        *ioSize = sizeof copy;
        return kAudioHardwareNoError;
    }
    auto found = o->data.find(key(a));
    if (found == o->data.end()) return kAudioHardwareUnknownPropertyError;
    // As the system does: as much as fits, and the size written.
    const UInt32 n = std::min<UInt32>(*ioSize, UInt32(found->second.size()));
    std::memcpy(out, found->second.data(), n);
    *ioSize = n;
    return kAudioHardwareNoError;
}
OSStatus AudioObjectSetPropertyData(AudioObjectID id, const AudioObjectPropertyAddress* a, UInt32,
                                    const void*, UInt32 size, const void* in) {
    auto* o = find(id);
    if (!o) return kAudioHardwareBadObjectError;
    auto found = o->data.find(key(a));
    if (found == o->data.end()) return kAudioHardwareUnknownPropertyError;
    if (!o->settable[key(a)]) return kAudioHardwareIllegalOperationError;
    if (size != found->second.size()) return kAudioHardwareBadPropertySizeError;
    std::memcpy(found->second.data(), in, size);
    return kAudioHardwareNoError;
}
OSStatus AudioObjectAddPropertyListener(AudioObjectID id, const AudioObjectPropertyAddress* a,
                                        AudioObjectPropertyListenerProc proc, void* client) {
    if (!find(id)) return kAudioHardwareBadObjectError;
    listeners.emplace_back(id, key(a), proc, client);
    return kAudioHardwareNoError;
}

Boolean AudioHardwareServiceHasProperty(AudioObjectID id, const AudioObjectPropertyAddress* a) {
    auto* o = find(id);
    if (o && isVirtualMain(a)) return o->virtualMainVolume;
    return AudioObjectHasProperty(id, a);
}
OSStatus AudioHardwareServiceIsPropertySettable(AudioObjectID id,
                                                const AudioObjectPropertyAddress* a, Boolean* out) {
    auto* o = find(id);
    if (o && isVirtualMain(a) && o->virtualMainVolume) {
        *out = true;
        return kAudioHardwareNoError;
    }
    return AudioObjectIsPropertySettable(id, a, out);
}
OSStatus AudioHardwareServiceGetPropertyData(AudioObjectID id, const AudioObjectPropertyAddress* a,
                                             UInt32 qs, const void* q, UInt32* ioSize, void* out) {
    auto* o = find(id);
    if (o && isVirtualMain(a) && o->virtualMainVolume) {
        if (*ioSize < sizeof(float)) return kAudioHardwareBadPropertySizeError;
        std::memcpy(out, &o->virtualVolume, sizeof(float));
        *ioSize = sizeof(float);
        return kAudioHardwareNoError;
    }
    return AudioObjectGetPropertyData(id, a, qs, q, ioSize, out);
}
OSStatus AudioHardwareServiceSetPropertyData(AudioObjectID id, const AudioObjectPropertyAddress* a,
                                             UInt32 qs, const void* q, UInt32 size,
                                             const void* in) {
    auto* o = find(id);
    if (o && isVirtualMain(a) && o->virtualMainVolume) {
        if (size != sizeof(float)) return kAudioHardwareBadPropertySizeError;
        std::memcpy(&o->virtualVolume, in, sizeof(float));
        return kAudioHardwareNoError;
    }
    return AudioObjectSetPropertyData(id, a, qs, q, size, in);
}

} // extern "C"

namespace fakeaudio {

std::map<AudioObjectID, Object>& objects() {
    return all;
}
void reset() {
    all.clear();
    listeners.clear();
}
void setFloat(AudioObjectID id, Address address, float value, bool settable) {
    auto& bytes = all[id].data[address];
    bytes.resize(sizeof value);
    std::memcpy(bytes.data(), &value, sizeof value);
    all[id].settable[address] = settable;
}
float getFloat(AudioObjectID id, Address address) {
    float v = -1;
    auto& bytes = all[id].data[address];
    if (bytes.size() == sizeof v) std::memcpy(&v, bytes.data(), sizeof v);
    return v;
}
void setUInt32s(AudioObjectID id, Address address, std::vector<UInt32> values) {
    auto& bytes = all[id].data[address];
    bytes.resize(values.size() * sizeof(UInt32));
    if (!values.empty()) std::memcpy(bytes.data(), values.data(), bytes.size());
    all[id].settable[address] = true;
}
int fire(AudioObjectID id, Address address) {
    int called = 0;
    for (auto& [object, a, proc, client] : listeners)
        if (object == id && a == address) {
            AudioObjectPropertyAddress native{std::get<0>(a), std::get<1>(a), std::get<2>(a)};
            proc(object, 1, &native, client);
            ++called;
        }
    return called;
}

} // namespace fakeaudio
