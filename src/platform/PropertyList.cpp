#include "platform/PropertyList.h"
#include "platform/OutsideFiles.h"
#include "platform/PropertyListFiles.h"
#include "platform/SystemPaths.h"

#include <QLocale>
#include <QXmlStreamReader>

#include <cmath>

namespace platform {

namespace {

constexpr int kMaxDepth = 32;

std::optional<Value> readValue(QXmlStreamReader& xml, int depth, std::string& error) {
    if (depth > kMaxDepth) {
        error = "nested deeper than " + std::to_string(kMaxDepth) + " levels";
        return std::nullopt;
    }
    const QString tag = xml.name().toString();
    if (tag == "dict") {
        Value dict{ValueDict{}};
        while (xml.readNextStartElement()) {
            if (xml.name() != QLatin1String("key")) {
                error = "a dictionary entry has no key";
                return std::nullopt;
            }
            const std::string key = xml.readElementText().toStdString();
            if (!xml.readNextStartElement()) {
                error = "the key \"" + key + "\" has no value";
                return std::nullopt;
            }
            auto value = readValue(xml, depth + 1, error);
            if (!value) return std::nullopt;
            dict.set(key, std::move(*value));
        }
        return dict;
    }
    if (tag == "array") {
        ValueArray items;
        while (xml.readNextStartElement()) {
            auto value = readValue(xml, depth + 1, error);
            if (!value) return std::nullopt;
            items.push_back(std::move(*value));
        }
        return Value(std::move(items));
    }
    if (tag == "true" || tag == "false") {
        xml.skipCurrentElement();
        return Value(tag == "true");
    }
    const QString text = xml.readElementText();
    if (tag == "string") return Value(text.toStdString());
    if (tag == "integer") {
        bool ok = false;
        const qlonglong v = text.trimmed().toLongLong(&ok);
        if (!ok) {
            error = "\"" + text.toStdString() + "\" is no integer";
            return std::nullopt;
        }
        return Value(int64_t(v));
    }
    if (tag == "real") {
        bool ok = false;
        const double v = text.trimmed().toDouble(&ok);
        // Nothing the program reads is meant to be infinite or not a number.
        if (!ok || !std::isfinite(v)) {
            error = "\"" + text.toStdString() + "\" is no finite number";
            return std::nullopt;
        }
        return Value(v);
    }
    if (tag == "date") return Value(text.toStdString());
    if (tag == "data") {
        const QByteArray bytes = QByteArray::fromBase64(text.toLatin1());
        return Value(Bytes(bytes.begin(), bytes.end()));
    }
    error = "unknown element <" + tag.toStdString() + ">";
    return std::nullopt;
}

void writeValue(const Value& v, int indent, std::string& out) {
    const std::string pad(size_t(indent) * 4, ' ');
    // A carriage return written as it is would read back as a line feed.
    auto escaped = [](const std::string& s) {
        return QString::fromStdString(s).toHtmlEscaped().replace('\r', "&#13;").toStdString();
    };
    if (auto* d = v.dict()) {
        out += pad + "<dict>\n";
        for (const auto& [key, value] : *d) {
            out += pad + "    <key>" + escaped(key) + "</key>\n";
            writeValue(value, indent + 1, out);
        }
        out += pad + "</dict>\n";
    } else if (auto* a = v.array()) {
        out += pad + "<array>\n";
        for (const auto& item : *a)
            writeValue(item, indent + 1, out);
        out += pad + "</array>\n";
    } else if (v.isBool()) {
        out += pad + (*v.boolean() ? "<true/>\n" : "<false/>\n");
    } else if (v.isInteger()) {
        out += pad + "<integer>" + std::to_string(*v.integer()) + "</integer>\n";
    } else if (v.isDouble()) {
        // As many digits as it takes to read back the same number.
        out += pad + "<real>" +
               QString::number(*v.number(), 'g', QLocale::FloatingPointShortest).toStdString() +
               "</real>\n";
    } else if (auto* bytes = v.data()) {
        const QByteArray raw(reinterpret_cast<const char*>(bytes->data()),
                             qsizetype(bytes->size()));
        out += pad + "<data>" + raw.toBase64().toStdString() + "</data>\n";
    } else if (auto s = v.string()) {
        out += pad + "<string>" + escaped(*s) + "</string>\n";
    }
}

} // namespace

std::optional<Value> parsePropertyList(const std::string& text, std::string& error) {
    if (text.rfind("bplist", 0) == 0) return parseBinaryPropertyList(text, error);
    QXmlStreamReader xml(QByteArray::fromStdString(text));
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("plist")) {
        error = xml.hasError() ? xml.errorString().toStdString() : "no <plist> element";
        return std::nullopt;
    }
    if (!xml.readNextStartElement()) {
        error = "the property list is empty";
        return std::nullopt;
    }
    auto value = readValue(xml, 0, error);
    if (!value) return std::nullopt;
    if (xml.hasError()) {
        error = xml.errorString().toStdString();
        return std::nullopt;
    }
    return value;
}

std::string xmlPropertyList(const Value& value) {
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                      "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                      "<plist version=\"1.0\">\n";
    writeValue(value, 0, out);
    return out + "</plist>\n";
}

std::optional<std::string> readPropertyListBytes(const std::string& realPath, std::string& error) {
    // Preferences are kilobytes; a file far larger is no preferences file. Never waits on a
    // FIFO put in its place.
    OutsideFileRules rules;
    rules.maxBytes = 16 << 20;
    auto file = readOutsideFile(realPath, rules);
    if (!file.ok()) {
        error = file.problem;
        return std::nullopt;
    }
    return std::move(file.bytes);
}

namespace {

class PortablePropertyListFiles : public PropertyListFiles {
  public:
    explicit PortablePropertyListFiles(const SystemPaths& paths) : paths_(paths) {}
    std::optional<Value> read(const std::string& systemPath, std::string& error) override {
        auto bytes = readPropertyListBytes(paths_.map(systemPath), error);
        if (!bytes) return std::nullopt;
        return parsePropertyList(*bytes, error);
    }

  private:
    const SystemPaths& paths_;
};

} // namespace

std::unique_ptr<PropertyListFiles> makePortablePropertyListFiles(const SystemPaths& paths) {
    return std::make_unique<PortablePropertyListFiles>(paths);
}

} // namespace platform
