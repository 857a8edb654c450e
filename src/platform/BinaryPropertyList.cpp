// Binary property lists ("bplist00"), the form macOS keeps most preferences in. Everything in the
// file is checked before use: the trailer's sizes, every offset and count against the file's
// length, the nesting depth, references back into an object being read (a cycle), and the total
// number of values, since shared references could otherwise expand a small file without bound.

#include "platform/PropertyList.h"

#include <QString>

#include <cmath>
#include <cstring>
#include <ctime>
#include <memory>
#include <vector>

namespace platform {

namespace {

constexpr int kMaxDepth = 32;
constexpr size_t kMaxValues = 200'000;
constexpr size_t kHeaderSize = 8;
constexpr size_t kTrailerSize = 32;
// Seconds from 1970 to 2001, when binary list dates start.
constexpr double kDateEpoch = 978307200.0;

class Reader {
  public:
    explicit Reader(const std::string& bytes) : b_(bytes) {}

    std::optional<Value> read(std::string& error) {
        if (b_.size() < kHeaderSize + kTrailerSize + 1) return fail("too short", error);
        if (b_.compare(0, 8, "bplist00") != 0)
            return fail("version \"" + b_.substr(6, 2) + "\" is not supported", error);
        const size_t t = b_.size() - kTrailerSize;
        offsetSize_ = byte(t + 6);
        refSize_ = byte(t + 7);
        const uint64_t count = unsignedAt(t + 8, 8);
        const uint64_t top = unsignedAt(t + 16, 8);
        const uint64_t table = unsignedAt(t + 24, 8);
        if (offsetSize_ < 1 || offsetSize_ > 8 || refSize_ < 1 || refSize_ > 8)
            return fail("the trailer's integer sizes are out of range", error);
        if (count == 0 || top >= count) return fail("the top object is outside the list", error);
        // The table lies between the objects and the trailer.
        if (table < kHeaderSize || table > t || count > (t - table) / offsetSize_)
            return fail("the offset table is outside the file", error);
        count_ = size_t(count);
        table_ = size_t(table);
        reading_.assign(count_, false);
        auto value = object(size_t(top), 0, error);
        if (!value) return std::nullopt;
        return value;
    }

  private:
    std::nullopt_t fail(const std::string& why, std::string& error) {
        error = "binary property list: " + why;
        return std::nullopt;
    }
    bool refuse(const std::string& why, std::string& error) {
        fail(why, error);
        return false;
    }
    uint8_t byte(size_t at) const { return uint8_t(b_[at]); }
    uint64_t unsignedAt(size_t at, size_t size) const {
        uint64_t v = 0;
        for (size_t i = 0; i < size; ++i)
            v = v << 8 | byte(at + i);
        return v;
    }
    // Bytes [at, at + size) of the object area, which ends where the offset table starts.
    bool fits(size_t at, uint64_t size) const { return at <= table_ && size <= table_ - at; }

    // A length that does not fit the marker's low four bits follows it as an integer object.
    bool length(size_t& at, uint8_t marker, uint64_t& out, std::string& error) {
        out = marker & 0x0F;
        if (out != 0x0F) return true;
        if (!fits(at, 1) || (byte(at) & 0xF0) != 0x10)
            return refuse("a length is no integer", error);
        const size_t size = size_t(1) << (byte(at) & 0x0F);
        if (size > 8 || !fits(at + 1, size)) return refuse("a length is out of range", error);
        out = unsignedAt(at + 1, size);
        at += 1 + size;
        return true;
    }

    std::optional<Value> object(size_t index, int depth, std::string& error) {
        if (index >= count_) return fail("a reference points outside the list", error);
        if (depth > kMaxDepth)
            return fail("nested deeper than " + std::to_string(kMaxDepth) + " levels", error);
        if (reading_[index]) return fail("an object contains itself", error);
        if (++made_ > kMaxValues) return fail("more than 200000 values", error);
        const uint64_t offset = unsignedAt(table_ + index * offsetSize_, offsetSize_);
        if (offset < kHeaderSize || offset >= table_)
            return fail("an offset is outside the objects", error);
        size_t at = size_t(offset);
        const uint8_t marker = byte(at++);
        switch (marker >> 4) {
        case 0x0:
            if (marker == 0x08 || marker == 0x09) return Value(marker == 0x09);
            return fail("null and fill objects have no value here", error);
        case 0x1:
            return integer(at, marker, error);
        case 0x2:
            return real(at, marker, error);
        case 0x3:
            return date(at, marker, error);
        case 0x4: {
            uint64_t n = 0;
            if (!length(at, marker, n, error)) return std::nullopt;
            if (!fits(at, n)) return fail("data runs past the objects", error);
            return Value(Bytes(b_.begin() + long(at), b_.begin() + long(at + n)));
        }
        case 0x5:
            return ascii(at, marker, error);
        case 0x6:
            return utf16(at, marker, error);
        case 0xA:
        case 0xC: // a set reads as an array
        case 0xD: {
            reading_[index] = true;
            auto value = collection(at, marker, depth, error);
            reading_[index] = false;
            return value;
        }
        default:
            return fail("unknown object kind " + std::to_string(marker >> 4), error);
        }
    }

    std::optional<Value> integer(size_t at, uint8_t marker, std::string& error) {
        const size_t size = size_t(1) << (marker & 0x0F);
        if ((marker & 0x0F) > 4 || !fits(at, size)) return fail("an integer is malformed", error);
        if (size == 16) {
            // 128 bits: only values a 64-bit integer holds are taken.
            const uint64_t high = unsignedAt(at, 8), low = unsignedAt(at + 8, 8);
            const bool negative = int64_t(low) < 0;
            if (high != (negative ? ~uint64_t(0) : 0))
                return fail("an integer does not fit 64 bits", error);
            return Value(int64_t(low));
        }
        const uint64_t v = unsignedAt(at, size);
        // Up to four bytes are unsigned; eight are two's complement.
        return Value(int64_t(v));
    }

    std::optional<Value> real(size_t at, uint8_t marker, std::string& error) {
        const size_t size = size_t(1) << (marker & 0x0F);
        if ((size != 4 && size != 8) || !fits(at, size)) return fail("a real is malformed", error);
        double v = 0;
        if (size == 4) {
            const uint32_t bits = uint32_t(unsignedAt(at, 4));
            float f = 0;
            std::memcpy(&f, &bits, 4);
            v = f;
        } else {
            const uint64_t bits = unsignedAt(at, 8);
            std::memcpy(&v, &bits, 8);
        }
        // Nothing the program reads is meant to be infinite or not a number.
        if (!std::isfinite(v)) return fail("a real is not finite", error);
        return Value(v);
    }

    // Dates read as the XML form's text, in UTC.
    std::optional<Value> date(size_t at, uint8_t marker, std::string& error) {
        if (marker != 0x33 || !fits(at, 8)) return fail("a date is malformed", error);
        const uint64_t bits = unsignedAt(at, 8);
        double seconds = 0;
        std::memcpy(&seconds, &bits, 8);
        auto text = propertyListDate(seconds);
        if (!text) return fail("a date is out of range", error);
        return Value(std::move(*text));
    }

    std::optional<Value> ascii(size_t at, uint8_t marker, std::string& error) {
        uint64_t n = 0;
        if (!length(at, marker, n, error)) return std::nullopt;
        if (!fits(at, n)) return fail("a string runs past the objects", error);
        std::string text = b_.substr(at, size_t(n));
        for (unsigned char c : text)
            if (c >= 0x80) return fail("an ASCII string holds a byte above 127", error);
        return Value(std::move(text));
    }

    std::optional<Value> utf16(size_t at, uint8_t marker, std::string& error) {
        uint64_t n = 0;
        if (!length(at, marker, n, error)) return std::nullopt;
        if (n > table_ / 2 || !fits(at, n * 2))
            return fail("a string runs past the objects", error);
        std::u16string units(size_t(n), u'\0');
        for (size_t i = 0; i < n; ++i)
            units[i] = char16_t(unsignedAt(at + 2 * i, 2));
        // Unpaired surrogates become replacement characters, as everywhere else text is read.
        return Value(QString::fromUtf16(units.data(), qsizetype(n)).toStdString());
    }

    std::optional<Value> collection(size_t at, uint8_t marker, int depth, std::string& error) {
        uint64_t n = 0;
        if (!length(at, marker, n, error)) return std::nullopt;
        const bool dict = (marker >> 4) == 0xD;
        const uint64_t refs = dict ? n * 2 : n;
        if (n > table_ || !fits(at, refs * refSize_))
            return fail("a collection runs past the objects", error);
        auto ref = [&](uint64_t i) {
            return size_t(unsignedAt(at + size_t(i) * refSize_, refSize_));
        };
        if (!dict) {
            ValueArray items;
            for (uint64_t i = 0; i < n; ++i) {
                auto item = object(ref(i), depth + 1, error);
                if (!item) return std::nullopt;
                items.push_back(std::move(*item));
            }
            return Value(std::move(items));
        }
        Value out{ValueDict{}};
        for (uint64_t i = 0; i < n; ++i) {
            auto key = object(ref(i), depth + 1, error);
            if (!key) return std::nullopt;
            if (!key->isString()) return fail("a dictionary key is no string", error);
            auto value = object(ref(n + i), depth + 1, error);
            if (!value) return std::nullopt;
            out.set(*key->string(), std::move(*value));
        }
        return out;
    }

    const std::string& b_;
    size_t offsetSize_ = 0, refSize_ = 0, count_ = 0, table_ = 0;
    size_t made_ = 0;
    std::vector<bool> reading_;
};

size_t bytesFor(uint64_t v) {
    return v <= 0xFF ? 1 : v <= 0xFFFF ? 2 : v <= 0xFFFFFFFF ? 4 : 8;
}

class Writer {
  public:
    std::string write(const Value& root) {
        flatten(root);
        const size_t refSize = bytesFor(objects_.size());
        std::string body = "bplist00";
        std::vector<uint64_t> offsets;
        for (const auto& o : objects_) {
            offsets.push_back(body.size());
            encode(*o.value, o.children, refSize, body);
        }
        const uint64_t table = body.size();
        const size_t offsetSize = bytesFor(table);
        for (uint64_t offset : offsets)
            put(offset, offsetSize, body);
        body.append(6, '\0');
        body += char(offsetSize);
        body += char(refSize);
        put(objects_.size(), 8, body);
        put(0, 8, body); // the root is the first object
        put(table, 8, body);
        return body;
    }

  private:
    struct Object {
        const Value* value;
        std::vector<size_t> children;
    };

    size_t flatten(const Value& v) {
        const size_t index = objects_.size();
        objects_.push_back({&v, {}});
        std::vector<size_t> children;
        if (const auto* a = v.array()) {
            for (const auto& item : *a)
                children.push_back(flatten(item));
        } else if (const auto* d = v.dict()) {
            std::vector<size_t> values;
            for (const auto& [key, item] : *d) {
                keys_.push_back(std::make_unique<Value>(key));
                children.push_back(objects_.size());
                objects_.push_back({keys_.back().get(), {}});
            }
            for (const auto& [key, item] : *d)
                values.push_back(flatten(item));
            children.insert(children.end(), values.begin(), values.end());
        }
        objects_[index].children = std::move(children);
        return index;
    }

    static void put(uint64_t v, size_t size, std::string& out) {
        for (size_t i = size; i-- > 0;)
            out += char(uint8_t(v >> (8 * i)));
    }
    static void marker(uint8_t kind, uint64_t count, std::string& out) {
        if (count < 0x0F) {
            out += char(kind << 4 | uint8_t(count));
            return;
        }
        out += char(kind << 4 | 0x0F);
        const size_t size = bytesFor(count);
        out += char(0x10 | (size == 1 ? 0 : size == 2 ? 1 : size == 4 ? 2 : 3));
        put(count, size, out);
    }

    static void encode(const Value& v, const std::vector<size_t>& children, size_t refSize,
                       std::string& out) {
        if (v.isBool()) {
            out += char(*v.boolean() ? 0x09 : 0x08);
        } else if (v.isInteger()) {
            const int64_t i = *v.integer();
            // Small non-negative values take fewer bytes; negative ones take eight.
            const size_t size = i < 0 ? 8 : bytesFor(uint64_t(i));
            out += char(0x10 | (size == 1 ? 0 : size == 2 ? 1 : size == 4 ? 2 : 3));
            put(uint64_t(i), size, out);
        } else if (v.isDouble()) {
            const double d = *v.number();
            uint64_t bits = 0;
            std::memcpy(&bits, &d, 8);
            out += char(0x23);
            put(bits, 8, out);
        } else if (const auto* data = v.data()) {
            marker(0x4, data->size(), out);
            out.append(data->begin(), data->end());
        } else if (auto s = v.string()) {
            bool ascii = true;
            for (unsigned char c : *s)
                ascii = ascii && c < 0x80;
            if (ascii) {
                marker(0x5, s->size(), out);
                out += *s;
            } else {
                const std::u16string units = QString::fromStdString(*s).toStdU16String();
                marker(0x6, units.size(), out);
                for (char16_t u : units)
                    put(u, 2, out);
            }
        } else if (v.isArray() || v.isDict()) {
            marker(v.isArray() ? 0xA : 0xD, v.isArray() ? children.size() : children.size() / 2,
                   out);
            for (size_t child : children)
                put(child, refSize, out);
        } else {
            out += char(0x00); // null, which readers refuse
        }
    }

    std::vector<Object> objects_;
    std::vector<std::unique_ptr<Value>> keys_;
};

} // namespace

std::optional<std::string> propertyListDate(double secondsSince2001) {
    const double since1970 = std::floor(secondsSince2001) + kDateEpoch;
    // Years 1 to 9999, as the text form can write them.
    if (!std::isfinite(since1970) || since1970 < -62135596800.0 || since1970 > 253402300799.0)
        return std::nullopt;
    const std::time_t t = std::time_t(since1970);
    std::tm utc{};
    gmtime_r(&t, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return std::string(text);
}

std::optional<Value> parseBinaryPropertyList(const std::string& bytes, std::string& error) {
    return Reader(bytes).read(error);
}

std::string binaryPropertyList(const Value& value) {
    return Writer().write(value);
}

} // namespace platform
