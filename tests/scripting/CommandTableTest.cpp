// The README's driver tables are the script's reference: every command and every state field
// the program has, with the same arguments and help, and nothing it does not have.

#include "backend/scripting/ScriptDriver.h"
#include "backend/scripting/Session.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

namespace {

struct Row {
    std::string syntax, help;
};

// The rows of the README's command table and of its state fields table.
void readReadme(std::map<std::string, Row>& commands, std::map<std::string, std::string>& fields) {
    std::ifstream readme(NIGHTLID_README);
    const std::regex row(R"(^\| (`.*?`(?:, `.*?`)*) \| (.*) \|$)");
    const std::regex form("`([^`]*)`");
    bool inFields = false;
    for (std::string line; std::getline(readme, line);) {
        if (line.rfind("#", 0) == 0) inFields = line == "### State fields";
        std::smatch m;
        if (!std::regex_match(line, m, row)) continue;
        const std::string forms = m[1], help = m[2];
        for (std::sregex_iterator f(forms.begin(), forms.end(), form), end; f != end; ++f) {
            std::string text = (*f)[1];
            for (size_t p; (p = text.find("\\|")) != std::string::npos;)
                text.replace(p, 2, "|");
            const auto space = text.find(' ');
            const std::string name = text.substr(0, space);
            if (inFields)
                fields[name] = help;
            else if (name.rfind("--", 0) != 0)
                commands[name] = {space == std::string::npos ? "" : text.substr(space + 1), help};
        }
    }
}

} // namespace

TEST(CommandTable, TheReadmeListsEveryCommandAndStateFieldAsRegistered) {
    std::map<std::string, Row> readmeCommands;
    std::map<std::string, std::string> readmeFields;
    readReadme(readmeCommands, readmeFields);
    ASSERT_GT(readmeCommands.size(), 50u) << "the README's table was not found";

    scripting::Session session(sim::VirtualMac::defaultDescription(), {});
    std::ostringstream out, err;
    scripting::ScriptDriver runner(session, out, err);
    const auto& table = runner.commands();
    for (const auto& c : table.commands()) {
        auto it = readmeCommands.find(c.name);
        if (it == readmeCommands.end()) {
            ADD_FAILURE() << "the README does not list the command " << c.name;
            continue;
        }
        EXPECT_EQ(it->second.syntax, c.syntax) << c.name;
        EXPECT_EQ(it->second.help, c.help) << c.name;
        readmeCommands.erase(it);
    }
    for (const auto& [name, row] : readmeCommands)
        ADD_FAILURE() << "the README lists " << name << ", which no code registers";

    for (const auto& f : table.stateFields()) {
        auto it = readmeFields.find(f.name);
        if (it == readmeFields.end()) {
            ADD_FAILURE() << "the README does not list the state field " << f.name;
            continue;
        }
        EXPECT_EQ(it->second, f.help) << f.name;
        readmeFields.erase(it);
    }
    for (const auto& [name, help] : readmeFields)
        ADD_FAILURE() << "the README lists the state field " << name << ", which is not registered";

    // And what `state` prints is exactly the registered fields.
    session.launch();
    std::ostringstream state;
    scripting::ScriptDriver printer(session, state, err);
    ASSERT_EQ(printer.runText("advance 1\nstate\n", "test"), 0) << err.str();
    const auto printed = QJsonDocument::fromJson(QByteArray::fromStdString(state.str())).object();
    std::set<std::string> registered;
    for (const auto& f : table.stateFields())
        registered.insert(f.name);
    std::set<std::string> keys;
    for (const auto& k : printed.keys())
        keys.insert(k.toStdString());
    EXPECT_EQ(keys, registered);
}
