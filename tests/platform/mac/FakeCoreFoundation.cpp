#include "FakeCoreFoundation.h"

#include <QByteArray>
#include <QXmlStreamReader>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <set>
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

enum Type : CFTypeID { kString = 1, kNumber, kBoolean, kData, kArray, kDictionary, kDate, kError };

struct Object {
    CFTypeID type = 0;
    int refs = 1;
    bool shared = false;
    std::string text;
    bool flag = false;
    bool isFloat = false;
    int64_t integer = 0;
    bool wide = false; // an unsigned value above the signed range, kept in wideValue
    uint64_t wideValue = 0;
    double real = 0; // also a date's seconds since 2001
    std::vector<UInt8> bytes;
    std::vector<const void*> items;
    std::vector<std::pair<const void*, const void*>> pairs;
};

int live = 0;
int overReleased = 0;
// Objects alive now: a release of anything else is counted, not followed.
std::set<const void*> alive;
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
    alive.insert(o);
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
    if (!alive.count(cf) && cf != &trueObject && cf != &falseObject) {
        ++overReleased;
        return;
    }
    Object* o = obj(cf);
    if (--o->refs > 0 || o->shared) return;
    for (auto* item : o->items)
        CFRelease(item);
    for (auto& [k, v] : o->pairs) {
        CFRelease(k);
        CFRelease(v);
    }
    --live;
    alive.erase(o);
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
    // A lossy conversion passes an approximate value back and says so.
    if (type == kCFNumberDoubleType) {
        *static_cast<double*>(out) = o->isFloat ? o->real
                                     : o->wide  ? double(o->wideValue)
                                                : double(o->integer);
        return !o->wide;
    }
    *static_cast<int64_t*>(out) = o->isFloat ? int64_t(o->real)
                                  : o->wide  ? int64_t(o->wideValue)
                                             : o->integer;
    return !o->wide;
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

CFTypeID CFDateGetTypeID(void) {
    return kDate;
}
CFAbsoluteTime CFDateGetAbsoluteTime(CFDateRef d) {
    return obj(d)->real;
}

} // extern "C"

namespace {

// The XML form, read as Core Foundation documents it: an integer may run to the unsigned 64-bit
// maximum, a real may be "nan" or "inf", and a date is UTC text made into seconds since 2001.
class XmlReader {
  public:
    explicit XmlReader(const QByteArray& bytes) : xml_(bytes) {}

    CFTypeRef read(std::string& error) {
        if (!xml_.readNextStartElement() || xml_.name() != QLatin1String("plist") ||
            !xml_.readNextStartElement()) {
            error = "no property list element";
            return nullptr;
        }
        CFTypeRef top = element(error);
        if (top && xml_.hasError()) {
            CFRelease(top);
            top = nullptr;
        }
        if (!top && error.empty()) error = xml_.errorString().toStdString();
        return top;
    }

  private:
    CFTypeRef element(std::string& error) {
        const QString tag = xml_.name().toString();
        if (tag == "dict") {
            auto* d = CFDictionaryCreateMutable(nullptr, 0, nullptr, nullptr);
            while (xml_.readNextStartElement()) {
                if (xml_.name() != QLatin1String("key"))
                    return fail(d, "an entry has no key", error);
                CFStringRef key = CFStringCreateWithCString(
                    nullptr, xml_.readElementText().toStdString().c_str(), kCFStringEncodingUTF8);
                CFTypeRef value = xml_.readNextStartElement() ? element(error) : nullptr;
                if (value) CFDictionarySetValue(d, key, value);
                CFRelease(key);
                if (!value) return fail(d, "an entry has no value", error);
                CFRelease(value);
            }
            return d;
        }
        if (tag == "array") {
            Object* a = make(kArray);
            while (xml_.readNextStartElement()) {
                CFTypeRef item = element(error);
                if (!item) return fail(a, "an item is malformed", error);
                a->items.push_back(item);
            }
            return a;
        }
        if (tag == "true" || tag == "false") {
            xml_.skipCurrentElement();
            return CFRetain(tag == "true" ? kCFBooleanTrue : kCFBooleanFalse);
        }
        const std::string text = xml_.readElementText().trimmed().toStdString();
        const char* first = text.data();
        const char* last = first + text.size();
        if (tag == "string")
            return CFStringCreateWithCString(nullptr, text.c_str(), kCFStringEncodingUTF8);
        if (tag == "integer") {
            int64_t i = 0;
            uint64_t u = 0;
            auto whole = [&](auto& v) {
                auto [end, problem] = std::from_chars(first, last, v);
                return !text.empty() && end == last && problem == std::errc();
            };
            if (whole(i)) return CFNumberCreate(nullptr, kCFNumberSInt64Type, &i);
            if (!whole(u)) return fail(nullptr, "an integer is malformed", error);
            Object* n = make(kNumber);
            n->wide = true;
            n->wideValue = u;
            return n;
        }
        if (tag == "real") {
            char* end = nullptr;
            const double d = std::strtod(text.c_str(), &end);
            if (text.empty() || end != text.c_str() + text.size())
                return fail(nullptr, "a real is malformed", error);
            return CFNumberCreate(nullptr, kCFNumberDoubleType, &d);
        }
        if (tag == "date") {
            std::tm utc{};
            char zone = 0;
            if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c", &utc.tm_year, &utc.tm_mon,
                            &utc.tm_mday, &utc.tm_hour, &utc.tm_min, &utc.tm_sec, &zone) != 7 ||
                zone != 'Z')
                return fail(nullptr, "a date is malformed", error);
            utc.tm_year -= 1900;
            utc.tm_mon -= 1;
            Object* date = make(kDate);
            date->real = double(timegm(&utc)) - 978307200.0;
            return date;
        }
        if (tag == "data") {
            const QByteArray bytes = QByteArray::fromBase64(QByteArray::fromStdString(text));
            return CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(bytes.data()),
                                CFIndex(bytes.size()));
        }
        return fail(nullptr, "unknown element", error);
    }

    static CFTypeRef fail(CFTypeRef partial, const std::string& why, std::string& error) {
        if (partial) CFRelease(partial);
        if (error.empty()) error = why;
        return nullptr;
    }

    QXmlStreamReader xml_;
};

} // namespace

extern "C" {

CFPropertyListRef CFPropertyListCreateWithData(CFAllocatorRef, CFDataRef data, CFOptionFlags,
                                               CFPropertyListFormat* format, CFErrorRef* error) {
    const auto& bytes = obj(data)->bytes;
    std::string why;
    CFTypeRef list = nullptr;
    if (bytes.size() >= 6 && std::memcmp(bytes.data(), "bplist", 6) == 0)
        why = "the binary form is not read here";
    else
        list = XmlReader(
                   QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())))
                   .read(why);
    if (list) {
        if (format) *format = kCFPropertyListXMLFormat_v1_0;
        return list;
    }
    if (error) {
        Object* e = make(kError);
        e->text = "The data couldn't be read: " + why + ".";
        *error = reinterpret_cast<CFErrorRef>(e);
    }
    return nullptr;
}

CFStringRef CFErrorCopyDescription(CFErrorRef e) {
    return CFStringCreateWithCString(nullptr, obj(e)->text.c_str(), kCFStringEncodingUTF8);
}

} // extern "C"

namespace fakecf {

int liveObjects() {
    return live;
}
int overReleases() {
    return overReleased;
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

std::string text(CFStringRef s) {
    return obj(s)->text;
}

} // namespace fakecf
