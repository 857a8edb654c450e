#include "platform/sim/SimShell.h"

namespace sim {

std::optional<std::string> administratorShellCommand(const std::string& source,
                                                     std::string& error) {
    const std::string head = "do shell script \"";
    const std::string tail = " with administrator privileges";
    if (source.rfind(head, 0) != 0) {
        error = "the script is not a do shell script command";
        return std::nullopt;
    }
    std::string command;
    size_t at = head.size();
    for (;; ++at) {
        if (at >= source.size()) {
            error = "syntax error: the string never ends";
            return std::nullopt;
        }
        const char c = source[at];
        if (c == '"') break;
        if (c != '\\') {
            command += c;
            continue;
        }
        if (++at >= source.size()) {
            error = "syntax error: the string never ends";
            return std::nullopt;
        }
        switch (source[at]) {
        case '"':
        case '\\':
            command += source[at];
            break;
        case 'n':
            command += '\n';
            break;
        case 't':
            command += '\t';
            break;
        case 'r':
            command += '\r';
            break;
        default:
            error = std::string("syntax error: unknown escape \\") + source[at];
            return std::nullopt;
        }
    }
    if (source.substr(at + 1) != tail) {
        error = "syntax error: expected \"" + tail.substr(1) + "\" after the string";
        return std::nullopt;
    }
    return command;
}

std::optional<std::vector<ShellCommand>> parseShellCommands(const std::string& line,
                                                            std::string& error) {
    std::vector<ShellCommand> commands(1);
    std::string word;
    bool inWord = false, redirectNext = false;
    auto refuse = [&](const std::string& why) -> std::optional<std::vector<ShellCommand>> {
        error = why;
        return std::nullopt;
    };
    auto endWord = [&] {
        if (!inWord) return;
        if (redirectNext)
            commands.back().redirectTo = word;
        else
            commands.back().words.push_back(word);
        word.clear();
        inWord = redirectNext = false;
    };
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == ' ' || c == '\t' || c == '\n') {
            endWord();
        } else if (c == '\'') {
            const size_t end = line.find('\'', i + 1);
            if (end == std::string::npos) return refuse("an unterminated single quote");
            word += line.substr(i + 1, end - i - 1);
            inWord = true;
            i = end;
        } else if (c == '"') {
            inWord = true;
            for (++i;; ++i) {
                if (i >= line.size()) return refuse("an unterminated double quote");
                if (line[i] == '"') break;
                if (line[i] == '$' || line[i] == '`')
                    return refuse("an expansion inside double quotes: " + line.substr(i, 20));
                if (line[i] == '\\' && i + 1 < line.size() &&
                    std::string("\"\\$`\n").find(line[i + 1]) != std::string::npos)
                    ++i;
                word += line[i];
            }
        } else if (c == '\\') {
            if (i + 1 < line.size()) word += line[++i];
            inWord = true;
        } else if (c == '$' || c == '`') {
            return refuse("an expansion: " + line.substr(i, 20));
        } else if (c == '&' && i + 1 < line.size() && line[i + 1] == '&') {
            endWord();
            if (commands.back().words.empty()) return refuse("&& without a command before it");
            commands.emplace_back();
            ++i;
        } else if (c == ';') {
            endWord();
            if (commands.back().words.empty()) return refuse("; without a command before it");
            commands.emplace_back().afterSemicolon = true;
        } else if (c == '>') {
            endWord();
            if (redirectNext || !commands.back().redirectTo.empty())
                return refuse("more than one redirection");
            redirectNext = true;
        } else if (std::string("|&<()*?{}#~").find(c) != std::string::npos) {
            return refuse(std::string("the operator or pattern character ") + c);
        } else {
            word += c;
            inWord = true;
        }
    }
    endWord();
    if (redirectNext) return refuse("a redirection without a file");
    if (commands.back().words.empty()) return refuse("a command is missing");
    return commands;
}

} // namespace sim
