#pragma once
// XML property lists, read into and written from Value.

#include "platform/Value.h"

#include <optional>
#include <string>

namespace platform {

// Absent with error set when the text is not a well-formed XML property list.
std::optional<Value> parsePropertyList(const std::string& xml, std::string& error);
// The XML form, with four-space indentation.
std::string xmlPropertyList(const Value& value);

} // namespace platform
