#include "FakePowerSources.h"
#include "FakeCoreFoundation.h"

#include <IOKit/ps/IOPowerSources.h>
#include <IOKit/pwr_mgt/IOPMLib.h>

#include <utility>

namespace {

fakeps::State current;
uint32_t nextAssertion = 1;
struct Notice {
    IOPowerSourceCallbackType callback;
    void* context;
    CFRunLoopSourceRef source;
};
std::vector<Notice> notices;
std::vector<CFRunLoopSourceRef> mainRunLoop; // each retained by the run loop
int mainRunLoopObject = 0;

CFStringRef string(const std::string& text) {
    return CFStringCreateWithCString(nullptr, text.c_str(), kCFStringEncodingUTF8);
}

CFTypeRef field(const fakeps::Field& value) {
    if (const auto* i = std::get_if<int64_t>(&value))
        return CFNumberCreate(nullptr, kCFNumberSInt64Type, i);
    if (const auto* b = std::get_if<bool>(&value))
        return CFRetain(*b ? kCFBooleanTrue : kCFBooleanFalse);
    return string(std::get<std::string>(value));
}

using fakecf::text;

} // namespace

namespace fakeps {

State& state() {
    return current;
}
int notify() {
    int called = 0;
    for (const auto& notice : notices)
        for (auto source : mainRunLoop)
            if (source == notice.source) {
                notice.callback(notice.context);
                ++called;
            }
    return called;
}
void reset() {
    for (auto source : mainRunLoop)
        CFRelease(source);
    mainRunLoop.clear();
    notices.clear();
    current = State();
}

} // namespace fakeps

extern "C" {

const CFRunLoopMode kCFRunLoopDefaultMode = nullptr;

CFRunLoopRef CFRunLoopGetMain(void) {
    return reinterpret_cast<CFRunLoopRef>(&mainRunLoopObject);
}
void CFRunLoopAddSource(CFRunLoopRef loop, CFRunLoopSourceRef source, CFRunLoopMode) {
    if (loop != CFRunLoopGetMain()) return;
    CFRetain(source);
    mainRunLoop.push_back(source);
}

// The information is an array of descriptions; the list holds each source's index into it.
CFTypeRef IOPSCopyPowerSourcesInfo(void) {
    if (!current.infoAvailable) return nullptr;
    std::vector<CFTypeRef> descriptions;
    for (const auto& source : current.sources) {
        CFMutableDictionaryRef d = CFDictionaryCreateMutable(
            nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
        for (const auto& [key, value] : source) {
            CFStringRef k = string(key);
            CFTypeRef v = field(value);
            CFDictionarySetValue(d, k, v);
            CFRelease(k);
            CFRelease(v);
        }
        descriptions.push_back(d);
    }
    CFArrayRef info = CFArrayCreate(nullptr, descriptions.data(), CFIndex(descriptions.size()),
                                    &kCFTypeArrayCallBacks);
    for (auto d : descriptions)
        CFRelease(d);
    return info;
}

CFArrayRef IOPSCopyPowerSourcesList(CFTypeRef info) {
    if (!current.listAvailable || !info) return nullptr;
    std::vector<CFTypeRef> indices;
    for (int64_t i = 0; i < CFArrayGetCount(static_cast<CFArrayRef>(info)); ++i)
        indices.push_back(CFNumberCreate(nullptr, kCFNumberSInt64Type, &i));
    CFArrayRef list =
        CFArrayCreate(nullptr, indices.data(), CFIndex(indices.size()), &kCFTypeArrayCallBacks);
    for (auto i : indices)
        CFRelease(i);
    return list;
}

CFDictionaryRef IOPSGetPowerSourceDescription(CFTypeRef info, CFTypeRef source) {
    int64_t i = 0;
    CFNumberGetValue(static_cast<CFNumberRef>(source), kCFNumberSInt64Type, &i);
    if (current.undescribed.count(size_t(i))) return nullptr;
    return static_cast<CFDictionaryRef>(CFArrayGetValueAtIndex(static_cast<CFArrayRef>(info), i));
}

CFRunLoopSourceRef IOPSNotificationCreateRunLoopSource(IOPowerSourceCallbackType callback,
                                                       void* context) {
    if (!current.notificationAvailable) return nullptr;
    // Any object stands for the source: only its references matter here.
    auto source = reinterpret_cast<CFRunLoopSourceRef>(
        const_cast<void*>(static_cast<const void*>(string("power source notice"))));
    notices.push_back({callback, context, source});
    return source;
}

IOReturn IOPMAssertionCreateWithName(CFStringRef type, IOPMAssertionLevel level, CFStringRef name,
                                     IOPMAssertionID* id) {
    if (current.assertionResult != 0) return current.assertionResult;
    *id = nextAssertion++;
    current.assertions[*id] = {text(type), text(name), level};
    return 0;
}

IOReturn IOPMAssertionRelease(IOPMAssertionID id) {
    return current.assertions.erase(id) ? 0 : IOReturn(0xE00002C2); // kIOReturnBadArgument
}

} // extern "C"
