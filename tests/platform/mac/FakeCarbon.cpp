#include "FakeCarbon.h"

#include <cstring>
#include <map>
#include <memory>

struct OpaqueEventRef {
    EventHotKeyID id;
    ByteCount size;
};
struct OpaqueEventHotKeyRef {
    UInt32 code, modifiers;
};
struct OpaqueEventHandlerRef {
    EventHandlerUPP proc;
    void* userData;
};

namespace {

fakecarbon::State current;
std::set<EventHotKeyRef> hotkeys;
std::set<EventHandlerRef> handlers;
CFDataRef layoutData = nullptr;

} // namespace

extern "C" {

// Only ever compared, never read or released.
static int layoutDataKey;
const CFStringRef kTISPropertyUnicodeKeyLayoutData = reinterpret_cast<CFStringRef>(&layoutDataKey);

EventTargetRef GetApplicationEventTarget(void) {
    static int target;
    return reinterpret_cast<EventTargetRef>(&target);
}
EventHandlerUPP NewEventHandlerUPP(EventHandlerProcPtr userRoutine) {
    return userRoutine;
}
OSStatus InstallEventHandler(EventTargetRef, EventHandlerUPP inHandler, ItemCount count,
                             const EventTypeSpec* list, void* userData, EventHandlerRef* outRef) {
    if (count != 1 || list[0].eventClass != kEventClassKeyboard ||
        list[0].eventKind != kEventHotKeyPressed)
        return eventNotHandledErr;
    *outRef = new OpaqueEventHandlerRef{inHandler, userData};
    handlers.insert(*outRef);
    ++current.handlersInstalled;
    return noErr;
}
OSStatus RemoveEventHandler(EventHandlerRef ref) {
    // A stale reference would crash a Mac: the fake counts it as a failed test instead.
    if (!handlers.erase(ref)) std::abort();
    delete ref;
    --current.handlersInstalled;
    return noErr;
}
OSStatus GetEventParameter(EventRef event, EventParamName name, EventParamType type,
                           EventParamType*, ByteCount bufferSize, ByteCount* actualSize,
                           void* data) {
    if (name != kEventParamDirectObject || type != typeEventHotKeyID) return eventNotHandledErr;
    const ByteCount n = event->size < bufferSize ? event->size : bufferSize;
    std::memcpy(data, &event->id, n);
    if (actualSize) *actualSize = n;
    return noErr;
}
OSStatus RegisterEventHotKey(UInt32 code, UInt32 modifiers, EventHotKeyID, EventTargetRef,
                             OptionBits, EventHotKeyRef* outRef) {
    if (current.taken.count({code, modifiers})) return eventHotKeyExistsErr;
    for (auto* h : hotkeys)
        if (h->code == code && h->modifiers == modifiers) return eventHotKeyExistsErr;
    *outRef = new OpaqueEventHotKeyRef{code, modifiers};
    hotkeys.insert(*outRef);
    ++current.registered;
    return noErr;
}
OSStatus UnregisterEventHotKey(EventHotKeyRef ref) {
    if (!hotkeys.erase(ref)) std::abort();
    delete ref;
    --current.registered;
    return noErr;
}

TISInputSourceRef TISCopyCurrentASCIICapableKeyboardLayoutInputSource(void) {
    if (current.noSource) return nullptr;
    if (layoutData) CFRelease(layoutData);
    layoutData = current.layout ? CFDataCreate(nullptr, current.layout->data(),
                                               CFIndex(current.layout->size()))
                                : nullptr;
    // The source is a Core Foundation object the caller releases; its data is the source's.
    return reinterpret_cast<TISInputSourceRef>(const_cast<void*>(
        static_cast<const void*>(CFDictionaryCreateMutable(nullptr, 0, nullptr, nullptr))));
}
void* TISGetInputSourceProperty(TISInputSourceRef, CFStringRef key) {
    if (key != kTISPropertyUnicodeKeyLayoutData) return nullptr;
    return const_cast<void*>(static_cast<const void*>(layoutData));
}
UInt8 LMGetKbdType(void) {
    return 40;
}
UInt32 KBGetLayoutType(SInt16 type) {
    return type == 40 ? 0 : 99;
}
OSStatus UCKeyTranslate(const UCKeyboardLayout*, UInt16 keyCode, UInt16, UInt32, UInt32, OptionBits,
                        UInt32* deadKeyState, UniCharCount maxLength, UniCharCount* actualLength,
                        UniChar unicodeString[]) {
    ++current.translations;
    for (UniCharCount i = 0; i < current.reportedLength && i < maxLength; ++i)
        unicodeString[i] = UniChar(u'a' + keyCode % 26 + i);
    *actualLength = current.reportedLength;
    *deadKeyState = 0;
    return noErr;
}

} // extern "C"

namespace fakecarbon {

State& state() {
    return current;
}
void reset() {
    current = State{};
    if (layoutData) CFRelease(layoutData);
    layoutData = nullptr;
}
OSStatus press(EventHotKeyID id, ByteCount size) {
    OpaqueEventRef event{id, size};
    OSStatus last = eventNotHandledErr;
    for (auto* h : std::set<EventHandlerRef>(handlers))
        last = h->proc(nullptr, &event, h->userData);
    return last;
}

} // namespace fakecarbon
