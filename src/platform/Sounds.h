#pragma once
// System sounds by name (NSSound(named:)).

#include <string>

namespace platform {

class Sounds {
  public:
    virtual ~Sounds() = default;
    // Plays the named sound; false (and nothing played) when there is no such sound.
    virtual bool play(const std::string& name) = 0;
};

} // namespace platform
