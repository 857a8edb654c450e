#pragma once
// Parsing of script arguments: every value is checked before anything acts on it.

#include "platform/Displays.h"

#include <optional>
#include <string>

namespace scripting {

class Session;

// A finite number from lo to hi, written whole (no trailing words); absent otherwise.
std::optional<double> numberArg(const std::string& text, double lo, double hi);
// A whole number from 0 to hi.
std::optional<uint64_t> wholeArg(const std::string& text, uint64_t hi);
std::optional<platform::DisplayID> displayIDArg(const std::string& text);

// A display the program can act on: online, or known to the program (switched off, cached).
// Sets error naming the display otherwise.
bool knownDisplay(Session& session, const std::string& cmd, const std::string& text,
                  platform::DisplayID& id, std::string& error);

} // namespace scripting
