#pragma once
// What the simulator's own controls let a person reach.

#include <string>

namespace scripting {

class Session;

// Why a person cannot click the status item in the menu bar now (no display has the menu bar,
// or one of the program's windows lies over it); empty when they can.
std::string whyStatusItemUnreachable(Session& session);

} // namespace scripting
