#include "platform/mac/CFValues.h"

#include <vector>

namespace mac {

CFRef<CFStringRef> makeString(const std::string& text) {
    return CFRef<CFStringRef>(
        CFStringCreateWithCString(kCFAllocatorDefault, text.c_str(), kCFStringEncodingUTF8));
}

std::optional<std::string> toString(CFStringRef string) {
    if (!string) return std::nullopt;
    const CFIndex size =
        CFStringGetMaximumSizeForEncoding(CFStringGetLength(string), kCFStringEncodingUTF8) + 1;
    std::vector<char> buffer(size_t(size > 0 ? size : 1));
    if (!CFStringGetCString(string, buffer.data(), CFIndex(buffer.size()), kCFStringEncodingUTF8))
        return std::nullopt;
    return std::string(buffer.data());
}

namespace {

platform::Value numberValue(CFNumberRef number) {
    if (CFNumberIsFloatType(number)) {
        double d = 0;
        CFNumberGetValue(number, kCFNumberDoubleType, &d);
        return platform::Value(d);
    }
    int64_t i = 0;
    CFNumberGetValue(number, kCFNumberSInt64Type, &i);
    return platform::Value(i);
}

platform::Value arrayValue(CFArrayRef array) {
    platform::ValueArray out;
    const CFIndex count = CFArrayGetCount(array);
    out.reserve(size_t(count));
    for (CFIndex i = 0; i < count; ++i)
        out.push_back(toValue(CFArrayGetValueAtIndex(array, i)));
    return platform::Value(std::move(out));
}

platform::Value dictionaryValue(CFDictionaryRef dictionary) {
    const CFIndex count = CFDictionaryGetCount(dictionary);
    std::vector<const void*> keys(static_cast<size_t>(count)), values(static_cast<size_t>(count));
    if (count > 0) CFDictionaryGetKeysAndValues(dictionary, keys.data(), values.data());
    platform::ValueDict out;
    for (size_t i = 0; i < keys.size(); ++i) {
        // Registry and CoreDisplay dictionaries are keyed by strings; other keys say nothing.
        if (!keys[i] || CFGetTypeID(keys[i]) != CFStringGetTypeID()) continue;
        if (auto key = toString(static_cast<CFStringRef>(keys[i])))
            out.emplace_back(*key, toValue(values[i]));
    }
    return platform::Value(std::move(out));
}

} // namespace

platform::Value toValue(CFTypeRef object) {
    if (!object) return {};
    const CFTypeID type = CFGetTypeID(object);
    if (type == CFStringGetTypeID()) {
        auto text = toString(static_cast<CFStringRef>(object));
        return text ? platform::Value(*text) : platform::Value();
    }
    if (type == CFBooleanGetTypeID())
        return platform::Value(bool(CFBooleanGetValue(static_cast<CFBooleanRef>(object))));
    if (type == CFNumberGetTypeID()) return numberValue(static_cast<CFNumberRef>(object));
    if (type == CFDataGetTypeID()) {
        auto data = static_cast<CFDataRef>(object);
        const UInt8* bytes = CFDataGetBytePtr(data);
        const CFIndex length = CFDataGetLength(data);
        return platform::Value(platform::Bytes(bytes, bytes + (bytes && length > 0 ? length : 0)));
    }
    if (type == CFArrayGetTypeID()) return arrayValue(static_cast<CFArrayRef>(object));
    if (type == CFDictionaryGetTypeID())
        return dictionaryValue(static_cast<CFDictionaryRef>(object));
    return {};
}

namespace {

CFRef<CFTypeRef> arrayObject(const platform::ValueArray& array) {
    std::vector<CFRef<CFTypeRef>> owned;
    std::vector<const void*> items;
    for (const auto& item : array) {
        owned.push_back(fromValue(item));
        if (owned.back()) items.push_back(owned.back().get());
    }
    return CFRef<CFTypeRef>(CFArrayCreate(kCFAllocatorDefault, items.data(), CFIndex(items.size()),
                                          &kCFTypeArrayCallBacks));
}

CFRef<CFTypeRef> dictionaryObject(const platform::ValueDict& dictionary) {
    CFMutableDictionaryRef out =
        CFDictionaryCreateMutable(kCFAllocatorDefault, CFIndex(dictionary.size()),
                                  &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    for (const auto& [key, item] : dictionary) {
        auto k = makeString(key);
        auto v = fromValue(item);
        if (k && v) CFDictionarySetValue(out, k.get(), v.get());
    }
    return CFRef<CFTypeRef>(out);
}

} // namespace

CFRef<CFTypeRef> fromValue(const platform::Value& value) {
    if (auto text = value.string()) return CFRef<CFTypeRef>(makeString(*text).release());
    if (value.isBool())
        return CFRef<CFTypeRef>(CFRetain(*value.boolean() ? kCFBooleanTrue : kCFBooleanFalse));
    if (value.isInteger()) {
        int64_t i = *value.integer();
        return CFRef<CFTypeRef>(CFNumberCreate(kCFAllocatorDefault, kCFNumberSInt64Type, &i));
    }
    if (value.isDouble()) {
        double d = *value.number();
        return CFRef<CFTypeRef>(CFNumberCreate(kCFAllocatorDefault, kCFNumberDoubleType, &d));
    }
    if (const auto* data = value.data())
        return CFRef<CFTypeRef>(
            CFDataCreate(kCFAllocatorDefault, data->data(), CFIndex(data->size())));
    if (const auto* array = value.array()) return arrayObject(*array);
    if (const auto* dictionary = value.dict()) return dictionaryObject(*dictionary);
    return {};
}

} // namespace mac
