#pragma once
// The limit and calibration files as the helper reads them: regular files only, never through
// a link, a FIFO never waited on, nothing larger than the helper's own lines. A file refused is
// named in the log with the reason, and reads as missing.

#include <optional>
#include <string>

namespace power {

// Path is a system path ("/Library/Application Support/Nightlid/limit.txt"). The card reads it at
// every refresh: a refusal is logged when it differs from lastRefusal, which is kept up to date.
std::optional<std::string> readHelperFile(const std::string& systemPath, std::string& lastRefusal);

} // namespace power
