#pragma once
// How the virtual Mac reads the administrator scripts it is asked to run: the AppleScript
// "do shell script" line and the POSIX shell command inside it, word by word as sh would.
// Anything that would make sh run more than the plain commands it lists (command
// substitution, variables, other operators) is reported rather than run. Commands are joined by
// && (run only after the one before succeeded) or ; (run whatever it ended with).

#include <optional>
#include <string>
#include <vector>

namespace sim {

struct ShellCommand {
    std::vector<std::string> words;
    std::string redirectTo;      // "> FILE"; empty: none
    bool afterSemicolon = false; // runs even when the command before it failed
};

// The shell command of `do shell script "..." with administrator privileges`; none with error
// set when the source does not compile.
std::optional<std::string> administratorShellCommand(const std::string& appleScript,
                                                     std::string& error);
// Plain commands joined by && or ;, none with error set when sh would do more than that.
std::optional<std::vector<ShellCommand>> parseShellCommands(const std::string& command,
                                                            std::string& error);

} // namespace sim
