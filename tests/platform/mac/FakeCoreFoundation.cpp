#include "FakeCoreFoundation.h"

#include <cstring>
#include <string>
#include <utility>
#include <vector>

struct CFArrayCallBacks {
    int unused;
};
struct CFDictionaryKeyCallBacks {
    int unused;
};
struct CFDictionaryValueCallBacks {
    int unused;
};

namespace {

enum Type : CFTypeID { kString = 1, kNumber, kBoolean, kData, kArray, kDictionary };

struct Object {
    CFTypeID type = 0;
    int refs = 1;
    bool shared = false;
    std::string text;
    bool flag = false;
    bool isFloat = false;
    int64_t integer = 0;
    double real = 0;
    std::vector<UInt8> bytes;
    std::vector<const void*> items;
    std::vector<std::pair<const void*, const void*>> pairs;
};

int live = 0;
Object sharedBoolean(bool value) {
    Object o;
    o.type = kBoolean;
    o.shared = true;
    o.flag = value;
    return o;
}
Object trueObject = sharedBoolean(true);
Object falseObject = sharedBoolean(false);

Object* make(CFTypeID type) {
    ++live;
    auto* o = new Object;
    o->type = type;
    return o;
}
Object* obj(CFTypeRef ref) {
    return const_cast<Object*>(static_cast<const Object*>(ref));
}

} // namespace

extern "C" {

const CFAllocatorRef kCFAllocatorDefault = nullptr;
const CFBooleanRef kCFBooleanTrue = reinterpret_cast<CFBooleanRef>(&trueObject);
const CFBooleanRef kCFBooleanFalse = reinterpret_cast<CFBooleanRef>(&falseObject);
const CFArrayCallBacks kCFTypeArrayCallBacks{};
const CFDictionaryKeyCallBacks kCFTypeDictionaryKeyCallBacks{};
const CFDictionaryValueCallBacks kCFTypeDictionaryValueCallBacks{};

CFTypeID CFGetTypeID(CFTypeRef cf) {
    return obj(cf)->type;
}
CFTypeRef CFRetain(CFTypeRef cf) {
    ++obj(cf)->refs;
    return cf;
}
void CFRelease(CFTypeRef cf) {
    Object* o = obj(cf);
    if (--o->refs > 0 || o->shared) return;
    for (auto* item : o->items)
        CFRelease(item);
    for (auto& [k, v] : o->pairs) {
        CFRelease(k);
        CFRelease(v);
    }
    --live;
    delete o;
}

CFTypeID CFStringGetTypeID(void) {
    return kString;
}
CFIndex CFStringGetLength(CFStringRef s) {
    return CFIndex(obj(s)->text.size());
}
CFIndex CFStringGetMaximumSizeForEncoding(CFIndex length, CFStringEncoding) {
    return length * 3;
}
Boolean CFStringGetCString(CFStringRef s, char* buffer, CFIndex size, CFStringEncoding) {
    const std::string& text = obj(s)->text;
    if (CFIndex(text.size()) + 1 > size) return false;
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return true;
}
CFStringRef CFStringCreateWithCString(CFAllocatorRef, const char* c, CFStringEncoding) {
    Object* o = make(kString);
    o->text = c;
    return reinterpret_cast<CFStringRef>(o);
}

CFTypeID CFNumberGetTypeID(void) {
    return kNumber;
}
Boolean CFNumberIsFloatType(CFNumberRef n) {
    return obj(n)->isFloat;
}
Boolean CFNumberGetValue(CFNumberRef n, CFNumberType type, void* out) {
    Object* o = obj(n);
    if (type == kCFNumberDoubleType)
        *static_cast<double*>(out) = o->isFloat ? o->real : double(o->integer);
    else
        *static_cast<int64_t*>(out) = o->isFloat ? int64_t(o->real) : o->integer;
    return true;
}
CFNumberRef CFNumberCreate(CFAllocatorRef, CFNumberType type, const void* value) {
    Object* o = make(kNumber);
    o->isFloat = type == kCFNumberDoubleType;
    if (o->isFloat)
        o->real = *static_cast<const double*>(value);
    else
        o->integer = *static_cast<const int64_t*>(value);
    return reinterpret_cast<CFNumberRef>(o);
}

CFTypeID CFBooleanGetTypeID(void) {
    return kBoolean;
}
Boolean CFBooleanGetValue(CFBooleanRef b) {
    return obj(b)->flag;
}

CFTypeID CFDataGetTypeID(void) {
    return kData;
}
CFIndex CFDataGetLength(CFDataRef d) {
    return CFIndex(obj(d)->bytes.size());
}
const UInt8* CFDataGetBytePtr(CFDataRef d) {
    return obj(d)->bytes.data();
}
CFDataRef CFDataCreate(CFAllocatorRef, const UInt8* bytes, CFIndex length) {
    Object* o = make(kData);
    o->bytes.assign(bytes, bytes + length);
    return reinterpret_cast<CFDataRef>(o);
}

CFTypeID CFArrayGetTypeID(void) {
    return kArray;
}
CFIndex CFArrayGetCount(CFArrayRef a) {
    return CFIndex(obj(a)->items.size());
}
const void* CFArrayGetValueAtIndex(CFArrayRef a, CFIndex i) {
    return obj(a)->items[size_t(i)];
}
CFArrayRef CFArrayCreate(CFAllocatorRef, const void** values, CFIndex count,
                         const CFArrayCallBacks*) {
    Object* o = make(kArray);
    for (CFIndex i = 0; i < count; ++i)
        o->items.push_back(CFRetain(values[i]));
    return reinterpret_cast<CFArrayRef>(o);
}

CFTypeID CFDictionaryGetTypeID(void) {
    return kDictionary;
}
CFIndex CFDictionaryGetCount(CFDictionaryRef d) {
    return CFIndex(obj(d)->pairs.size());
}
void CFDictionaryGetKeysAndValues(CFDictionaryRef d, const void** keys, const void** values) {
    for (size_t i = 0; i < obj(d)->pairs.size(); ++i) {
        keys[i] = obj(d)->pairs[i].first;
        values[i] = obj(d)->pairs[i].second;
    }
}
CFMutableDictionaryRef CFDictionaryCreateMutable(CFAllocatorRef, CFIndex,
                                                 const CFDictionaryKeyCallBacks*,
                                                 const CFDictionaryValueCallBacks*) {
    return reinterpret_cast<CFMutableDictionaryRef>(make(kDictionary));
}
void CFDictionarySetValue(CFMutableDictionaryRef d, const void* key, const void* value) {
    obj(d)->pairs.emplace_back(CFRetain(key), CFRetain(value));
}

} // extern "C"

namespace fakecf {

int liveObjects() {
    return live;
}

CFTypeRef makeNumberKeyDictionary() {
    CFMutableDictionaryRef d = CFDictionaryCreateMutable(nullptr, 2, nullptr, nullptr);
    int64_t one = 1;
    CFNumberRef key = CFNumberCreate(nullptr, kCFNumberSInt64Type, &one);
    CFStringRef name = CFStringCreateWithCString(nullptr, "kept", kCFStringEncodingUTF8);
    CFDictionarySetValue(d, key, kCFBooleanTrue);
    CFDictionarySetValue(d, name, kCFBooleanFalse);
    CFRelease(key);
    CFRelease(name);
    return d;
}

} // namespace fakecf
