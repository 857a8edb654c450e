#pragma once

#include <optional>
#include <string>

namespace scripting {

// The headless tour: what a new user would click first, with a screenshot after each step.
// ${OUT} stands for the folder the screenshots go to. Absent when the build lost it.
std::optional<std::string> tourScript();

} // namespace scripting
