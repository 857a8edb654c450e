#include "platform/mac/CFValues.h"
#include "platform/PropertyList.h"

#include <cmath>
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

// As deep as the portable reader goes.
constexpr int kMaxDepth = 32;

// One conversion for both uses: lenient (no error sink) turns what no value holds into a null
// value; strict (a whole file) refuses it with the error set.
class Converter {
  public:
    explicit Converter(std::string* error) : error_(error) {}

    std::optional<platform::Value> convert(CFTypeRef object, int depth) {
        if (!object) return refuse("a value is missing");
        if (error_ && depth > kMaxDepth)
            return refuse("nested deeper than " + std::to_string(kMaxDepth) + " levels");
        const CFTypeID type = CFGetTypeID(object);
        if (type == CFStringGetTypeID()) {
            auto text = toString(static_cast<CFStringRef>(object));
            if (!text) return refuse("a string is not UTF-8");
            return platform::Value(*text);
        }
        if (type == CFBooleanGetTypeID())
            return platform::Value(bool(CFBooleanGetValue(static_cast<CFBooleanRef>(object))));
        if (type == CFNumberGetTypeID()) return number(static_cast<CFNumberRef>(object));
        if (type == CFDateGetTypeID()) return date(static_cast<CFDateRef>(object));
        if (type == CFDataGetTypeID()) {
            auto data = static_cast<CFDataRef>(object);
            const UInt8* bytes = CFDataGetBytePtr(data);
            const CFIndex length = CFDataGetLength(data);
            return platform::Value(
                platform::Bytes(bytes, bytes + (bytes && length > 0 ? length : 0)));
        }
        if (type == CFArrayGetTypeID()) return array(static_cast<CFArrayRef>(object), depth);
        if (type == CFDictionaryGetTypeID())
            return dictionary(static_cast<CFDictionaryRef>(object), depth);
        return refuse("a value is of a kind property lists do not hold");
    }

  private:
    std::optional<platform::Value> refuse(const std::string& why) {
        if (!error_) return platform::Value();
        *error_ = why;
        return std::nullopt;
    }

    std::optional<platform::Value> number(CFNumberRef number) {
        if (CFNumberIsFloatType(number)) {
            double d = 0;
            CFNumberGetValue(number, kCFNumberDoubleType, &d);
            // Nothing the program reads is meant to be infinite or not a number.
            if (error_ && !std::isfinite(d)) return refuse("a real is not finite");
            return platform::Value(d);
        }
        // An unsigned value above the signed range is reported as a lossy conversion, where
        // a cast would hand back a wrapped number.
        int64_t i = 0;
        if (!CFNumberGetValue(number, kCFNumberSInt64Type, &i))
            return refuse("an integer does not fit 64 bits");
        return platform::Value(i);
    }

    std::optional<platform::Value> date(CFDateRef date) {
        auto text = platform::propertyListDate(CFDateGetAbsoluteTime(date));
        if (!text) return refuse("a date is out of range");
        return platform::Value(std::move(*text));
    }

    std::optional<platform::Value> array(CFArrayRef array, int depth) {
        platform::ValueArray out;
        const CFIndex count = CFArrayGetCount(array);
        out.reserve(size_t(count > 0 ? count : 0));
        for (CFIndex i = 0; i < count; ++i) {
            auto item = convert(CFArrayGetValueAtIndex(array, i), depth + 1);
            if (!item) return std::nullopt;
            out.push_back(std::move(*item));
        }
        return platform::Value(std::move(out));
    }

    std::optional<platform::Value> dictionary(CFDictionaryRef dictionary, int depth) {
        const CFIndex count = CFDictionaryGetCount(dictionary);
        std::vector<const void*> keys(size_t(count > 0 ? count : 0)), values(keys.size());
        if (count > 0) CFDictionaryGetKeysAndValues(dictionary, keys.data(), values.data());
        platform::ValueDict out;
        for (size_t i = 0; i < keys.size(); ++i) {
            // Registry and CoreDisplay dictionaries are keyed by strings and other keys say
            // nothing there; a file with one is refused, as the portable reader refuses it.
            std::optional<std::string> key;
            if (keys[i] && CFGetTypeID(keys[i]) == CFStringGetTypeID())
                key = toString(static_cast<CFStringRef>(keys[i]));
            if (!key) {
                if (error_) return refuse("a dictionary key is no string");
                continue;
            }
            auto value = convert(values[i], depth + 1);
            if (!value) return std::nullopt;
            out.emplace_back(*key, std::move(*value));
        }
        return platform::Value(std::move(out));
    }

    std::string* error_;
};

} // namespace

platform::Value toValue(CFTypeRef object) {
    if (!object) return {};
    return *Converter(nullptr).convert(object, 0);
}

std::optional<platform::Value> readPropertyList(const std::string& bytes, std::string& error) {
    CFRef<CFDataRef> data(CFDataCreate(
        kCFAllocatorDefault, reinterpret_cast<const UInt8*>(bytes.data()), CFIndex(bytes.size())));
    CFErrorRef failure = nullptr;
    CFRef<CFPropertyListRef> list(
        data ? CFPropertyListCreateWithData(kCFAllocatorDefault, data.get(),
                                            kCFPropertyListImmutable, nullptr, &failure)
             : nullptr);
    if (!list) {
        CFRef<CFErrorRef> owned(failure);
        CFRef<CFStringRef> why(owned ? CFErrorCopyDescription(owned.get()) : nullptr);
        error = toString(why.get()).value_or("no property list");
        return std::nullopt;
    }
    return Converter(&error).convert(list.get(), 0);
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
