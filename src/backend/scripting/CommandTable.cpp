#include "backend/scripting/CommandTable.h"

#include <stdexcept>

namespace scripting {

void CommandTable::add(Command command) {
    if (byName_.count(command.name))
        throw std::logic_error("the script command " + command.name + " is registered twice");
    byName_[command.name] = commands_.size();
    commands_.push_back(std::move(command));
}

void CommandTable::addState(StateField field) {
    fields_.push_back(std::move(field));
}

const Command* CommandTable::find(const std::string& name) const {
    auto it = byName_.find(name);
    return it == byName_.end() ? nullptr : &commands_[it->second];
}

std::string CommandTable::help() const {
    std::string out = "Commands, one a line (# starts a comment):\n";
    for (const auto& c : commands_)
        out +=
            "  " + c.name + (c.syntax.empty() ? "" : " " + c.syntax) + "\n      " + c.help + "\n";
    out += "\nState fields (state prints them as one JSON line; expect reads them by path):\n";
    for (const auto& f : fields_)
        out += "  " + f.name + "\n      " + f.help + "\n";
    return out;
}

} // namespace scripting
