#pragma once
// The script's commands: each subsystem registers its own (name, argument syntax, one help line,
// handler) and the state fields it reports; the runner looks a command up by name.

#include <QJsonObject>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace scripting {

class Session;

// One line of a script, as a handler gets it.
struct CommandCall {
    Session& session;
    const std::string& cmd;  // the command's name as written
    const std::string& rest; // everything after it, trimmed
    std::string& error;      // set, naming what is wrong, when the handler returns false
    // Moves virtual time between the values of a drag.
    std::function<void(double)> advance;
};

struct Command {
    std::string name;
    std::string syntax; // the arguments, e.g. "ID VALUE"
    std::string help;
    std::function<bool(CommandCall&)> run;
};

struct StateField {
    std::string name;
    std::string help;
};

class CommandTable {
  public:
    void add(Command command);
    void addState(StateField field);
    const Command* find(const std::string& name) const;
    const std::vector<Command>& commands() const { return commands_; }
    const std::vector<StateField>& stateFields() const { return fields_; }
    // Every command with its syntax and help, then every state field: what `help` prints.
    std::string help() const;

  private:
    std::vector<Command> commands_;
    std::map<std::string, size_t> byName_;
    std::vector<StateField> fields_;
};

// Each subsystem's commands.
void registerDeviceCommands(CommandTable& table);
void registerHotkeyCommands(CommandTable& table);
void registerPowerCommands(CommandTable& table);
void registerDisplayModeCommands(CommandTable& table);
void registerWindowCommands(CommandTable& table);
void registerMachineEventCommands(CommandTable& table);
void registerPanelCommands(CommandTable& table);
void registerSimulatorCommands(CommandTable& table);
// The fields of `state`.
void registerStateFields(CommandTable& table);

} // namespace scripting
