#pragma once
// Property lists, XML and binary, read into and written from Value.

#include "platform/Value.h"

#include <optional>
#include <string>

namespace platform {

// Either form, told apart by the binary form's "bplist" header. Absent with error set when the
// bytes are not a well-formed property list.
std::optional<Value> parsePropertyList(const std::string& bytes, std::string& error);
std::optional<Value> parseBinaryPropertyList(const std::string& bytes, std::string& error);
// A date (seconds since 2001, as both forms keep it) as the XML form writes it, in whole seconds
// UTC ("2026-03-01T07:30:00Z"); absent outside the years 1 to 9999.
std::optional<std::string> propertyListDate(double secondsSince2001);
// The XML form, with four-space indentation.
std::string xmlPropertyList(const Value& value);
// The binary form ("bplist00"), as macOS writes most preferences.
std::string binaryPropertyList(const Value& value);

} // namespace platform
