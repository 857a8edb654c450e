#include "backend/scripting/RunnerSupport.h"

#include "platform/OutsideFiles.h"
#include "platform/sim/VirtualMac.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace scripting {

std::string trim(const std::string& s) {
    auto b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return {};
    auto e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

std::pair<std::string, std::string> splitWord(const std::string& s) {
    auto t = trim(s);
    auto sp = t.find_first_of(" \t");
    if (sp == std::string::npos) return {t, {}};
    return {t.substr(0, sp), trim(t.substr(sp))};
}

// A path like /statusItem/toolTip or /registry/0/name into the state.
std::optional<QJsonValue> lookup(const QJsonValue& root, const std::string& path) {
    if (path.empty() || path[0] != '/') return std::nullopt;
    QJsonValue v = root;
    for (const auto& part : QString::fromStdString(path.substr(1)).split('/')) {
        if (v.isObject()) {
            auto o = v.toObject();
            if (!o.contains(part)) return std::nullopt;
            v = o.value(part);
        } else if (v.isArray()) {
            bool ok = false;
            int i = part.toInt(&ok);
            auto a = v.toArray();
            if (ok && i < 0) i += int(a.size()); // -1: the last
            if (!ok || i < 0 || i >= a.size()) return std::nullopt;
            v = a.at(i);
        } else {
            return std::nullopt;
        }
    }
    return v;
}

QJsonValue parseLiteral(const std::string& text) {
    auto doc = QJsonDocument::fromJson(QByteArray::fromStdString("[" + text + "]"));
    if (doc.isArray() && doc.array().size() == 1) return doc.array().at(0);
    return QString::fromStdString(text); // a bare word compares as a string
}

std::string compact(const QJsonValue& v) {
    auto doc = QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact).toStdString();
    return doc.substr(1, doc.size() - 2);
}

// The first word, or the text in quotes when it starts with one, and the rest; both empty when a
// quote is not closed.
std::pair<std::string, std::string> splitQuotedWord(const std::string& text) {
    if (text.empty() || text[0] != '"') return splitWord(text);
    const auto end = text.find('"', 1);
    if (end == std::string::npos) return {};
    return {text.substr(1, end - 1), trim(text.substr(end + 1))};
}

// What a script line says with its quotes taken off.
std::string unquoted(std::string text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        return text.substr(1, text.size() - 2);
    return text;
}

bool saveImage(const QImage& image, const std::string& file, std::string& error) {
    const QFileInfo info(QString::fromStdString(file));
    QByteArray format = info.suffix().toLower().toLatin1();
    if (!QImageWriter::supportedImageFormats().contains(format)) format = "png";
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format.constData())) {
        error = "cannot write " + file + ": the image cannot be encoded";
        return false;
    }
    QDir().mkpath(info.absolutePath());
    std::string why;
    if (!platform::writeOutsideFile(info.absoluteFilePath().toStdString(), bytes.toStdString(),
                                    why)) {
        error = "cannot write " + file + ": " + why;
        return false;
    }
    return true;
}

} // namespace scripting
