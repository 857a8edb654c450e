// Hardware events the program only hears of: the lid, a monitor that stops answering DDC/CI and
// answers again, and the machine waking.

#include "backend/scripting/Arguments.h"
#include "backend/scripting/CommandTable.h"
#include "backend/scripting/Session.h"
#include "platform/sim/SimMonitor.h"

#include <sstream>

namespace scripting {

namespace {

bool lidCommand(CommandCall& call) {
    auto& mac = call.session.mac();
    if (call.rest != "close" && call.rest != "open") {
        call.error = "lid takes close or open";
        return false;
    }
    const bool close = call.rest == "close";
    if (!mac.setLidClosed(close)) {
        call.error = mac.lidClosed() == close
                         ? std::string("the lid is already ") + (close ? "closed" : "open")
                         : "this machine has no built-in display";
        return false;
    }
    return true;
}

bool ddcAnswersCommand(CommandCall& call) {
    std::istringstream in(call.rest);
    std::string idText, answer, extra;
    in >> idText >> answer >> extra;
    auto id = displayIDArg(idText);
    if (!id || (answer != "on" && answer != "off") || !extra.empty()) {
        call.error = "ddc-answers takes a display ID and on or off, e.g. ddc-answers 2 off";
        return false;
    }
    auto* monitor = call.session.mac().monitor(*id);
    if (!monitor) {
        call.error = "display " + idText + " has no monitor on a DDC/CI link";
        return false;
    }
    monitor->setAnswers(answer == "on");
    return true;
}

bool ddcFaultCommand(CommandCall& call) {
    std::istringstream in(call.rest);
    std::string idText, kind, extra;
    int count = 0;
    in >> idText >> kind;
    const bool counted = kind == "bad-checksums" || kind == "stray-replies";
    if (counted && !(in >> count)) count = -1;
    in >> extra;
    auto id = displayIDArg(idText);
    if (!id || !extra.empty() || count < 0 || count > 1'000'000 ||
        (!counted && kind != "drops-writes" && kind != "takes-writes")) {
        call.error = "ddc-fault takes a display ID and drops-writes, takes-writes, "
                     "bad-checksums N or stray-replies N, e.g. ddc-fault 2 bad-checksums 6";
        return false;
    }
    auto* monitor = call.session.mac().monitor(*id);
    if (!monitor) {
        call.error = "display " + idText + " has no monitor on a DDC/CI link";
        return false;
    }
    if (kind == "drops-writes" || kind == "takes-writes")
        monitor->setDropsWrites(kind == "drops-writes");
    else if (kind == "bad-checksums")
        monitor->setBadChecksums(count);
    else
        monitor->setStrayReplies(count);
    return true;
}

bool wakeCommand(CommandCall& call) {
    call.session.mac().wake();
    return true;
}

const Command kMachineEventCommands[] = {
    {"lid", "close|open",
     "closes the lid (the built-in panel goes offline, as in clamshell use) or opens it again",
     lidCommand},
    {"ddc-answers", "ID on|off",
     "a monitor stops answering on its DDC/CI link (every write and read fails), or answers "
     "again",
     ddcAnswersCommand},
    {"ddc-fault", "ID drops-writes|takes-writes|bad-checksums N|stray-replies N",
     "a monitor acknowledges writes without taking them (or takes them again), or its next N "
     "replies carry a bad checksum or no value of the code asked",
     ddcFaultCommand},
    {"wake", "", "the machine wakes from sleep: the system's wake notification", wakeCommand},
};

} // namespace

void registerMachineEventCommands(CommandTable& table) {
    for (const auto& command : kMachineEventCommands)
        table.add(command);
}

} // namespace scripting
