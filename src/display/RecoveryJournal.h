#pragma once
// What the program has darkened, kept on disk so that the next start undoes it after a crash or
// a kill: a monitor left at DDC luminance 0 stays dark when the process dies, and the gamma
// table reverting does not help it. Every change is on disk before the hardware is touched.

#include "platform/Displays.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace platform {
class SystemLog;
}

class RecoveryJournal {
  public:
    struct DarkDisplay {
        platform::DisplayID id = 0;
        std::string name;
        bool builtIn = false;
        float brightness = 0.5f; // what to bring it back to
        std::string reason;      // "off", "dim", ...: one entry per reason
    };

    // Reads what an earlier run left (a damaged journal is moved aside with a log line).
    RecoveryJournal(std::string path, platform::SystemLog* log);

    // A display about to be darkened for a reason; a second record for the same display and
    // reason keeps the first brightness, the one from before anything was dark.
    void recordDisplay(const DarkDisplay& entry);
    void clearDisplay(platform::DisplayID id, const std::string& reason);
    // Every reason of one display (it was brought back).
    void clearDisplay(platform::DisplayID id);
    void recordKeyboards(const std::map<uint64_t, float>& levels);
    void clearKeyboards();

    const std::vector<DarkDisplay>& displays() const { return displays_; }
    const std::map<uint64_t, float>& keyboards() const { return keyboards_; }
    bool empty() const { return displays_.empty() && keyboards_.empty(); }
    const std::string& path() const { return path_; }

  private:
    void load();
    void write();

    std::string path_;
    platform::SystemLog* log_;
    std::vector<DarkDisplay> displays_;
    std::map<uint64_t, float> keyboards_;
};
