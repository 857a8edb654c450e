#pragma once
// Runs the program headless from a script: one command a line, one JSON line per `state`.

#include "backend/scripting/CommandTable.h"
#include "platform/Alerts.h"

#include <QJsonArray>
#include <functional>
#include <iosfwd>
#include <map>
#include <string>
#include <vector>

class QImage;

namespace scripting {

class Session;

class ScriptDriver {
  public:
    ScriptDriver(Session& session, std::ostream& out, std::ostream& err);

    // Returns the process exit code: 0, or 1 after naming the failing line.
    int runFile(const std::string& path);
    int runText(const std::string& text, const std::string& sourceName);
    // Every command and state field, for help and for checking the README against.
    const CommandTable& commands() const { return table_; }
    // The same help without a machine to run on (nightlid --help-script).
    static std::string helpText();
    // Words like ${OUT} in the script are replaced by these values.
    void setVariable(const std::string& name, const std::string& value) { vars_[name] = value; }

  private:
    friend struct OwnCommands;
    // Handlers bound to driver; with none, the table only describes the commands.
    static CommandTable commandTable(ScriptDriver* driver);
    // The log lines written since the previous state, in order.
    QJsonArray logSinceLastState(uint64_t* writtenNow = nullptr);
    bool execute(const std::string& line, std::string& error);
    std::string expand(const std::string& line) const;
    // Runs the next line; false once the script is over or has failed.
    bool step();
    void fail(const std::string& error);
    // A modal alert runs a nested loop: the script goes on inside it until a line answers it.
    // Runs the lines after the one that opened the alert until one answers it; popup and click
    // lines naming the alert's pop-up items or checkbox change its accessory.
    int answerAlert(platform::AlertRequest& request);
    // Runs lines until one answers the administrator prompt: admin-prompt accept|cancel.
    bool answerAdminPrompt(const std::string& message);
    // Runs the script's lines until answers takes one (it is given the command and its
    // argument unquoted); fails naming what when the script ends first.
    bool
    runUntilAnswered(const std::string& what,
                     const std::function<bool(const std::string&, const std::string&)>& answers);
    void advance(double seconds);
    // The runner's own commands.
    bool advanceCommand(CommandCall& call);
    bool stateCommand(CommandCall& call);
    bool expectCommand(CommandCall& call);
    bool expectLogCommand(CommandCall& call);
    bool defaultCommand(CommandCall& call);
    bool screenshotCommand(CommandCall& call);
    bool languageCommand(CommandCall& call);
    bool adminPromptCommand(CommandCall& call);
    bool alertCommand(CommandCall& call);
    bool crashCommand(CommandCall& call);
    bool quitCommand(CommandCall& call);
    bool helpCommand(CommandCall& call);

    CommandTable table_;
    std::vector<std::string> lines_;
    size_t next_ = 0;
    std::string source_;
    int status_ = 0;
    bool over_ = false;
    uint64_t logShown_ = 0; // log lines written before the last state

    Session& session_;
    std::ostream& out_;
    std::ostream& err_;
    std::map<std::string, std::string> vars_;
};

} // namespace scripting
