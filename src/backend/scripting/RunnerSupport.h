#pragma once
// Text and state helpers the script runner and its own commands share.

#include <QJsonValue>

#include <optional>
#include <string>
#include <utility>

class QImage;

namespace sim {
class VirtualMac;
}

namespace scripting {

// The longest single advance a script may ask for: a day.
constexpr double kMaxAdvance = 24 * 60 * 60;

std::string trim(const std::string& s);
// The first word and the rest, both trimmed.
std::pair<std::string, std::string> splitWord(const std::string& s);
// The first word, or the text in quotes when it starts with one, and the rest; both empty when a
// quote is not closed.
std::pair<std::string, std::string> splitQuotedWord(const std::string& text);
std::string unquoted(std::string text);
// A path like /statusItem/toolTip or /registry/0/name into the state.
std::optional<QJsonValue> lookup(const QJsonValue& root, const std::string& path);
// A JSON literal, or a bare word as a string.
QJsonValue parseLiteral(const std::string& text);
std::string compact(const QJsonValue& v);
// A screenshot saved as the file's suffix says (PNG when it says nothing known), written whole,
// never through a link nor into a FIFO; missing folders are made. false with the reason.
bool saveImage(const QImage& image, const std::string& file, std::string& error);
// How a script's time passes (ScriptTime.cpp). Virtual time jumps over what is waited for; on the
// real clock (--real-time) Qt's own loop runs meanwhile and the devices take their real times.
// Lets the device queues finish what was asked of them and runs what they posted back.
void settle(sim::VirtualMac& mac);
// Runs what falls due in that much time, the queues going on in their own time meanwhile.
void passTime(sim::VirtualMac& mac, double seconds);

} // namespace scripting
