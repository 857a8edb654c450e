#include "FakeIOKit.h"
#include "FakeCoreFoundation.h"

#include <mach/mach.h>

#include <cstring>
#include <vector>

namespace {

fakeiokit::State current;
constexpr io_service_t kSmc = 101, kBattery = 102;
constexpr io_connect_t kConnection = 201;

using fakecf::text;

} // namespace

namespace fakeiokit {

State& state() {
    return current;
}
void reset() {
    current = State();
}

} // namespace fakeiokit

extern "C" {

const mach_port_t kIOMainPortDefault = 0;

mach_port_t mach_task_self(void) {
    return 7;
}

CFMutableDictionaryRef IOServiceMatching(const char* name) {
    auto dictionary = CFDictionaryCreateMutable(nullptr, 1, &kCFTypeDictionaryKeyCallBacks,
                                                &kCFTypeDictionaryValueCallBacks);
    CFStringRef key = CFStringCreateWithCString(nullptr, "IOProviderClass", kCFStringEncodingUTF8);
    CFStringRef value = CFStringCreateWithCString(nullptr, name, kCFStringEncodingUTF8);
    CFDictionarySetValue(dictionary, key, value);
    CFRelease(key);
    CFRelease(value);
    return dictionary;
}

io_service_t IOServiceGetMatchingService(mach_port_t, CFDictionaryRef matching) {
    const void* key = nullptr;
    const void* value = nullptr;
    CFDictionaryGetKeysAndValues(matching, &key, &value);
    const std::string name = text(CFStringRef(value));
    CFRelease(matching); // the call takes it
    io_service_t found = 0;
    if (name == "AppleSMC" && current.smcPresent) found = kSmc;
    if (name == "AppleSmartBattery" && current.batteryPresent) found = kBattery;
    if (found) ++current.servicesHeld;
    return found;
}

kern_return_t IOObjectRelease(io_object_t object) {
    if (object == kSmc || object == kBattery) --current.servicesHeld;
    return KERN_SUCCESS;
}

kern_return_t IOServiceOpen(io_service_t service, task_port_t task, uint32_t type,
                            io_connect_t* connect) {
    if (service != kSmc || task != mach_task_self() || type != 0) return 0x2c2; // bad argument
    if (current.openResult != KERN_SUCCESS) return current.openResult;
    ++current.connectionsOpen;
    *connect = kConnection;
    return KERN_SUCCESS;
}

kern_return_t IOServiceClose(io_connect_t connect) {
    if (connect == kConnection) --current.connectionsOpen;
    return KERN_SUCCESS;
}

kern_return_t IOConnectCallStructMethod(mach_port_t connection, uint32_t selector, const void* in,
                                        size_t inSize, void* out, size_t* outSize) {
    if (connection != kConnection || selector != 2 || inSize != sizeof(smc::Parameters) ||
        *outSize < sizeof(smc::Parameters) || !current.controller)
        return 0x2c2;
    smc::Parameters request, answer;
    std::memcpy(&request, in, sizeof request);
    std::string error;
    if (!current.controller->call(request, answer, error)) return 0x2bc; // general error
    std::memcpy(out, &answer, sizeof answer);
    *outSize = current.answerSize;
    return KERN_SUCCESS;
}

CFTypeRef IORegistryEntryCreateCFProperty(io_registry_entry_t entry, CFStringRef key,
                                          CFAllocatorRef, IOOptionBits) {
    if (entry != kBattery) return nullptr;
    auto found = current.battery.find(text(key));
    if (found == current.battery.end()) return nullptr;
    if (const bool* flag = std::get_if<bool>(&found->second))
        return CFRetain(*flag ? kCFBooleanTrue : kCFBooleanFalse);
    const int64_t number = std::get<int64_t>(found->second);
    return CFNumberCreate(nullptr, kCFNumberSInt64Type, &number);
}

} // extern "C"
